/* Compiled as C so that the public header stays usable from C callers. */
#include "vtrlib.h"

size_t VtrHeaderCheckSurveyEntrySize(void) { return sizeof(VtrSurveyEntry); }
