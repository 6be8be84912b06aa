#include "widgets/kelstackedwidget.h"

KelStackedWidget::KelStackedWidget(QWidget *parent) : QStackedWidget(parent) { }

#include "moc_kelstackedwidget.cpp"
