// Frame controls 1016 and 1011: the widget shows the control's pixel buffer,
// which the paint handler draws into.
#pragma once
#include <QWidget>

#include "framework/platform.h"

class CFrameWidget : public QWidget {
  Q_OBJECT
 public:
  CFrameWidget(CPixelBuffer& pixels, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  CPixelBuffer& m_pixels;
};
