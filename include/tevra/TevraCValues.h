/* Placeholder: generated from the error table and the enumerations. */
#ifndef TEVRA_CVALUES_H
#define TEVRA_CVALUES_H
#endif
