#pragma once

namespace navoket {

// Runs curl_global_init once for the whole process, before the first easy
// handle is made. Every libcurl user in the program calls this: two separate
// once-guards could still run the initialisation on two threads at once, which
// libcurl does not allow.
void initialiseCurlOnce();

}  // namespace navoket
