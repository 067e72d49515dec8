#include "editors/frmDialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

frmDialog::frmDialog(Module1& module, QWidget* parent) : QDialog(parent), m(module)
{
    setObjectName(QStringLiteral("frmDialog"));
    setWindowTitle(QStringLiteral("Dawnbell"));
    setModal(true);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    Image1->setAlignment(Qt::AlignTop);
    lblText = new QLabel(this);
    lblText->setObjectName(QStringLiteral("lblText"));
    lblText->setWordWrap(true);
    lblText->setMinimumWidth(300);
    chkShow = new QCheckBox(QStringLiteral("&Do not show this dialog again"), this);
    chkShow->setObjectName(QStringLiteral("chkShow"));
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);

    auto* text = new QHBoxLayout;
    text->addWidget(Image1);
    text->addWidget(lblText, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(chkShow);
    bottom->addStretch();
    bottom->addWidget(cmdOK);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(text);
    layout->addLayout(bottom);

    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    Form_Load();
}

void frmDialog::Form_Load() { chkShow->setChecked(false); }

void frmDialog::cmdOK_Click() { accept(); }
