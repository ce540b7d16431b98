#pragma once

#include <QDialog>

// The product's about box: name, versions and the project's address.
class Tf_about : public QDialog {
    Q_OBJECT
public:
    explicit Tf_about(QWidget* parent = nullptr);
};
