#pragma once

#include <QDialog>
#include <functional>

#include "twain/sane_scanner.h"

class QComboBox;
class QProgressBar;
class QPushButton;
class QSpinBox;

// The source's own window: mode, resolution, paper source and page count,
// then "Scan". It stays open while pages are read, with a bar for the page
// under way, and closes itself once the scan has ended; closing it at any
// time is the source's close request.
//
// Its texts go through Qt's translators (context "SourceDialog") and it asks
// for the host program's look (the property look=program), so a program that
// loads this manager can dress it in its own language and style.
class SourceDialog : public QDialog {
    Q_OBJECT
public:
    using StartScan = std::function<void(const ScanSettings& settings, int pages)>;
    SourceDialog(const SaneScanner& scanner, const std::string& title, int pages, StartScan start);

    // From the scan (queued to this dialog's thread). percent < 0: the
    // device does not say how long the page is.
    void OnPageProgress(int page, int percent);
    void OnPageRead(int pagesRead);
    void OnScanEnded();

private:
    void Start();

    QComboBox* mode_;
    QSpinBox* resolution_;
    QComboBox* source_;
    QSpinBox* pages_;
    QProgressBar* progress_;
    QPushButton* scan_;
    StartScan start_;
};
