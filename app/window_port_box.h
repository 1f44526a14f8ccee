#pragma once
// The port list's drop-down: says when its list is about to open, so that the window can
// enumerate the ports afresh (a USB adapter may have come or gone since).

#include <QComboBox>

class CommPortBox : public QComboBox {
  Q_OBJECT

 public:
  using QComboBox::QComboBox;

  void showPopup() override {
    emit aboutToDropDown();
    QComboBox::showPopup();
  }

 signals:
  void aboutToDropDown();
};
