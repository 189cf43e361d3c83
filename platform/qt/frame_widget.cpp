#include "platform/qt/frame_widget.h"

#include <QImage>
#include <QPainter>

CFrameWidget::CFrameWidget(CPixelBuffer& pixels, QWidget* parent) : QWidget(parent), m_pixels(pixels) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CFrameWidget::paintEvent(QPaintEvent*) {
  if (m_pixels.width == 0 || m_pixels.height == 0) return;
  QImage image(m_pixels.width, m_pixels.height, QImage::Format_RGB32);
  for (int y = 0; y < m_pixels.height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < m_pixels.width; ++x) line[x] = 0xFF000000u | m_pixels.At(x, y);
  }
  QPainter painter(this);
  painter.drawImage(0, 0, image);
}
