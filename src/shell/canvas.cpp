#include "canvas.h"

#include <QPainter>

void Canvas::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  emit Paint(this, &painter);
}
