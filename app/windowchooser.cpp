#include "windowchooser.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

WindowChooser::WindowChooser(const QStringList &captions, int current, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      list_(new QListWidget(this))
{
    setObjectName(QStringLiteral("WindowChooser"));
    setWindowTitle(QStringLiteral("Seleziona finestra"));
    list_->setObjectName(QStringLiteral("windows"));
    list_->addItems(captions);
    list_->setCurrentRow(current);

    auto *label = new QLabel(QStringLiteral("&Finestre:"), this);
    label->setBuddy(list_);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::itemActivated, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(list_);
    layout->addWidget(buttons);
    list_->setFocus();
}

int WindowChooser::chosen() const
{
    return list_->currentRow();
}
