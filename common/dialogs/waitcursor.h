#pragma once
// The hourglass over a long operation: shown for the life of the guard and restored on
// every exit path, exceptions included. Guards nest; without a QGuiApplication (or off the
// user-interface thread) a guard does nothing.

namespace korvi {

class WaitCursor {
 public:
  WaitCursor();
  ~WaitCursor();
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

  // Whether this guard changed the cursor.
  bool active() const { return active_; }
  // Guards alive in this process that changed the cursor.
  static int depth();

 private:
  bool active_ = false;
};

}  // namespace korvi
