#pragma once

// The builder moved to the shared test support; this name stays for its users.
#include "support/PdfBuilder.h"
