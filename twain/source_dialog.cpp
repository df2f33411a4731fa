#include "twain/source_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QComboBox* ChoiceBox(const std::vector<std::string>& choices, const std::string& current) {
    auto* box = new QComboBox;
    for (const std::string& choice : choices) box->addItem(QString::fromStdString(choice));
    const int at = box->findText(QString::fromStdString(current));
    if (at >= 0) box->setCurrentIndex(at);
    box->setEnabled(box->count() > 1);
    return box;
}

}  // namespace

SourceDialog::SourceDialog(const SaneScanner& scanner, const std::string& title, int pages,
                           StartScan start)
    : start_(std::move(start)) {
    setWindowTitle(QString::fromStdString(title));
    setAttribute(Qt::WA_DeleteOnClose);
    setProperty("look", QStringLiteral("program"));
    mode_ = ChoiceBox(scanner.Modes(), scanner.CurrentMode());
    source_ = ChoiceBox(scanner.Sources(), "");
    resolution_ = new QSpinBox;
    resolution_->setRange(25, 1200);
    resolution_->setSingleStep(25);
    resolution_->setSuffix(tr(" dpi"));
    resolution_->setValue(scanner.CurrentResolution() > 0 ? scanner.CurrentResolution() : 300);
    pages_ = new QSpinBox;
    pages_->setRange(1, 500);
    pages_->setValue(pages > 0 ? pages : 1);
    progress_ = new QProgressBar;
    progress_->setTextVisible(true);
    progress_->hide();  // until the scan starts; the window keeps its size
    QSizePolicy keepRoom = progress_->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    progress_->setSizePolicy(keepRoom);

    auto* form = new QGridLayout;
    form->setHorizontalSpacing(16);
    form->setVerticalSpacing(10);
    form->setColumnStretch(1, 1);
    const std::pair<QString, QWidget*> rows[] = {{tr("Mode"), mode_},
                                                 {tr("Resolution"), resolution_},
                                                 {tr("Paper source"), source_},
                                                 {tr("Pages"), pages_}};
    int row = 0;
    for (const auto& [name, field] : rows) {
        auto* label = new QLabel(name);
        label->setBuddy(field);
        field->setMinimumHeight(32);  // as tall as the buttons' text rows
        form->addWidget(label, row, 0, Qt::AlignLeft | Qt::AlignVCenter);
        form->addWidget(field, row++, 1);
    }
    auto* buttons = new QDialogButtonBox;
    scan_ = buttons->addButton(tr("Scan"), QDialogButtonBox::AcceptRole);
    scan_->setProperty("role", QStringLiteral("primary"));
    QPushButton* cancel = buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    // Enter scans wherever the focus is; Cancel never becomes the default.
    cancel->setAutoDefault(false);
    scan_->setDefault(true);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    connect(scan_, &QPushButton::clicked, this, &SourceDialog::Start);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 20);
    layout->setSpacing(16);
    layout->addLayout(form);
    layout->addWidget(progress_);
    layout->addWidget(buttons);
    setMinimumWidth(380);
    scan_->setFocus();
}

void SourceDialog::Start() {
    scan_->setEnabled(false);
    for (QWidget* field : {static_cast<QWidget*>(mode_), static_cast<QWidget*>(resolution_),
                           static_cast<QWidget*>(source_), static_cast<QWidget*>(pages_)})
        field->setEnabled(false);
    OnPageProgress(1, -1);
    progress_->show();
    start_(ScanSettings{mode_->currentText().toStdString(), resolution_->value(),
                        source_->currentText().toStdString()},
           pages_->value());
}

void SourceDialog::OnPageProgress(int page, int percent) {
    progress_->setFormat(tr("Reading page %1…").arg(page));
    if (percent < 0) {
        progress_->setRange(0, 0);  // busy, length unknown
    } else {
        progress_->setRange(0, 100);
        progress_->setValue(percent);
    }
}

void SourceDialog::OnPageRead(int pagesRead) {
    // Above the program's own windows, which may have opened for the page.
    raise();
    progress_->setRange(0, 100);
    progress_->setValue(100);
    progress_->setFormat(tr("Pages scanned: %1").arg(pagesRead));
}

void SourceDialog::OnScanEnded() { close(); }
