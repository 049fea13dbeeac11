/// @file
/// Symbol export for libtevra: everything is hidden unless marked.
#ifndef TEVRA_EXPORT_H
#define TEVRA_EXPORT_H

#if defined(TEVRA_BUILDING_LIBRARY)
#define TEVRA_API __attribute__((visibility("default")))
#else
#define TEVRA_API
#endif

#ifdef __cplusplus
#define TEVRA_EXTERN_C extern "C"
#else
#define TEVRA_EXTERN_C
#endif

#endif
