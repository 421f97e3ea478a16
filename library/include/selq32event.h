// The event that the library posts to the registered host widget. C++ hosts built with Qt
// include this header to read its two parameters; the layout is fixed by this header.
#pragma once

#include <QEvent>

#include "selq32.h"

class KvslHostEvent : public QEvent {
 public:
  KvslHostEvent(qint32 first, qint32 second)
      : QEvent(static_cast<QEvent::Type>(KVSL_HOST_NOTIFICATION)), wParam(first), lParam(second) {}
  const qint32 wParam;
  const qint32 lParam;
};
