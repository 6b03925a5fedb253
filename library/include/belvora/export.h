#pragma once

#if defined(BELVORA_BUILDING_LIBRARY)
#define BELVORA_EXPORT __attribute__((visibility("default")))
#else
#define BELVORA_EXPORT
#endif
