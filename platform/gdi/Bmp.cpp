// Being written; see the header.
#include "platform/gdi/Bitmap.h"
