// The shared library is assembled from the area libraries; its exported
// surface is the public header and the C ABI (see include/belvora/).
#include "belvora/belvora.h"
