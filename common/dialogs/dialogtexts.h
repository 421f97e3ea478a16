#pragma once
// The captions of the message dialog's buttons and boxes, in the interface language.

#include "common/text/settings.h"
#include <QString>

#include "common/text/messages.h"

namespace korvi {

// Which deliverable runs: the two carry the same captions under different text numbers.
using DeliverableKind = Deliverable;

struct DialogTexts {
  // Buttons, in the order of the string table: OK, Cancel, Yes, No, Abort, Retry, Ignore,
  // All, Help.
  QString ok, cancel, yes, no, abort, retry, ignore, all, help;
  // Boxes: warning, error, information, confirmation, plain message.
  QString warning, error, information, confirmation, plain;

  // The framework's English captions, in force until the deliverable loads its own.
  static DialogTexts frameworkDefaults();
  QString buttonCaption(MsgButton button) const;
  // The caption of a box of that kind; a plain message's caption is the running
  // executable's file name, whatever the table says.
  QString boxCaption(MsgKind kind) const;
};

// First text number of the button captions and of the box captions of a deliverable.
int firstButtonText(DeliverableKind kind);
int firstBoxText(DeliverableKind kind);

// Reads the fourteen captions through LoadText. A text that comes back empty (missing in
// both languages) keeps the framework's caption, so no button is ever left blank.
DialogTexts loadDialogTexts(DeliverableKind kind);

// The captions in force for this process.
const DialogTexts& dialogTexts();
void setDialogTexts(const DialogTexts& texts);

// The running executable's file name without its directory (the host's for the library).
QString executableFileName();

}  // namespace korvi
