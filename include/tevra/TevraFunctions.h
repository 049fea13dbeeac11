/* The function family of the C interface, one group per section. Part of <tevra/Tevra.h>, which
   includes it inside its extern "C" block; do not include it by itself. */
#ifndef TEVRA_FUNCTIONS_H
#define TEVRA_FUNCTIONS_H

#ifndef TEVRA_H
#error "include <tevra/Tevra.h> instead"
#endif

#endif
