#include "twain/source_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
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
    progress_ = new QLabel;
    auto* form = new QFormLayout;
    form->addRow(tr("Mode"), mode_);
    form->addRow(tr("Resolution"), resolution_);
    form->addRow(tr("Paper source"), source_);
    form->addRow(tr("Pages"), pages_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
    scan_ = buttons->addButton(tr("Scan"), QDialogButtonBox::AcceptRole);
    scan_->setDefault(true);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    connect(scan_, &QPushButton::clicked, this, [this] {
        scan_->setEnabled(false);
        for (QWidget* field : {static_cast<QWidget*>(mode_), static_cast<QWidget*>(resolution_),
                               static_cast<QWidget*>(source_), static_cast<QWidget*>(pages_)})
            field->setEnabled(false);
        progress_->setText(tr("Scanning…"));
        start_(ScanSettings{mode_->currentText().toStdString(), resolution_->value(),
                            source_->currentText().toStdString()},
               pages_->value());
    });
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 18, 20, 16);
    layout->setSpacing(12);
    layout->addLayout(form);
    layout->addWidget(progress_);
    layout->addWidget(buttons);
}

void SourceDialog::OnPageRead(int pagesRead) {
    progress_->setText(tr("%n page(s) scanned", nullptr, pagesRead));
}

void SourceDialog::OnScanEnded() { close(); }
