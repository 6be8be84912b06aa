#include "widgets/kelstackedwidget.h"

KelStackedWidget::KelStackedWidget(QWidget *parent) : QStackedWidget(parent) { }
