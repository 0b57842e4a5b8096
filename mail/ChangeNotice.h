#pragma once

namespace navoket {

// Mails the change notice for the stored vessel ("Ship"/"Name") with the
// stored mail settings (section "Email"), over port 25. Shows nothing and
// reports nothing: a failed connection or a refused mail leaves no trace.
void sendChangeNotice();

}  // namespace navoket
