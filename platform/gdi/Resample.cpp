// Being written; see the header.
#include "platform/gdi/Resample.h"
