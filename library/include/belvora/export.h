#pragma once

/* The public API keeps default visibility on both sides: in the library
 * (built with hidden visibility) and in callers built with their own
 * -fvisibility=hidden. */
#define BELVORA_EXPORT __attribute__((visibility("default")))

/* The private parts of exported classes (their Impl) stay out of the ABI.
 * Only the library marks them: in a caller's build the mark would only earn
 * a -Wattributes warning on the class that holds them. */
#if defined(BELVORA_BUILDING_LIBRARY)
#define BELVORA_HIDDEN __attribute__((visibility("hidden")))
#else
#define BELVORA_HIDDEN
#endif
