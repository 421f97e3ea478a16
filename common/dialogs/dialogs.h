#pragma once
// Start-up of the dialogs of a deliverable.

#include "common/dialogs/dialogtexts.h"

namespace korvi {

// Installs the message implementation of this process and loads the dialog captions in the
// current language (so it runs after the language start-up). With KORVI_ANSWERS set the
// boxes are answered from that file and never shown; with KORVI_MESSAGE_LOG set every box is
// logged to that file (see unattended.h).
void installDialogs(DeliverableKind kind);

}  // namespace korvi
