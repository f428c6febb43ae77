#pragma once

#include <QDialog>

// The launcher's About box: program icon, product and version, OK.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
