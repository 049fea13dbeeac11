// The library's version, as the module's version resource carries it elsewhere.
#include "tevra/TevraExport.h"

TEVRA_EXTERN_C TEVRA_API const char* TevraLibraryVersion() { return "1.2.2.0"; }
