#pragma once

#include <QDialog>
#include <functional>

#include "twain/sane_scanner.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

// The source's own window: mode, resolution, paper source and page count,
// then "Scan". It stays open while pages are read and closes itself once
// the scan has ended; closing it at any time is the source's close request.
class SourceDialog : public QDialog {
    Q_OBJECT
public:
    using StartScan = std::function<void(const ScanSettings& settings, int pages)>;
    SourceDialog(const SaneScanner& scanner, const std::string& title, int pages, StartScan start);

    // From the scan (queued to this dialog's thread).
    void OnPageRead(int pagesRead);
    void OnScanEnded();

private:
    QComboBox* mode_;
    QSpinBox* resolution_;
    QComboBox* source_;
    QSpinBox* pages_;
    QLabel* progress_;
    QPushButton* scan_;
    StartScan start_;
};
