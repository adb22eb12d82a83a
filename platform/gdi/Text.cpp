// Being written; see the header.
#include "platform/gdi/Text.h"
