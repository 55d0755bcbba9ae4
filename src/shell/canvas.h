#pragma once
// A plain drawing surface that leaves its painting to whoever listens.

#include <QWidget>

class Canvas : public QWidget {
  Q_OBJECT

 public:
  explicit Canvas(QWidget* parent = nullptr) : QWidget(parent) {}

 signals:
  void Paint(Canvas* canvas, QPainter* g);

 protected:
  void paintEvent(QPaintEvent* event) override;
};
