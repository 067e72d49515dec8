#include "editors/frmAbout.h"

#include "core/Module1.h"
#include "dawnbell_build.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSysInfo>

frmAbout::frmAbout(Module1& module, QWidget* parent) : QDialog(parent), m(module)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Dawnbell..."));
    setModal(true);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(QIcon(QStringLiteral(":/icons/dawnbell.svg")).pixmap(48, 48));
    Image1->setAccessibleName(QStringLiteral("Dawnbell"));
    Label1 = new QLabel(QStringLiteral("Dawnbell ") + QStringLiteral(DAWNBELL_VERSION).section(u'.', 0, 1), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont big = Label1->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    big.setBold(true);
    Label1->setFont(big);
    lblPlatform = new QLabel(this);
    lblPlatform->setObjectName(QStringLiteral("lblPlatform"));
    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);

    auto* layout = new QGridLayout(this);
    layout->addWidget(Image1, 0, 0, 2, 1, Qt::AlignTop);
    layout->addWidget(Label1, 0, 1);
    layout->addWidget(lblPlatform, 1, 1);
    layout->addWidget(cmdOK, 2, 1, Qt::AlignRight);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    Form_Load();
}

void frmAbout::Form_Load()
{
    // The distribution's own name ("Debian GNU/Linux 12 (bookworm)", from /etc/os-release) follows the
    // platform's.
    QString text = QStringLiteral("for ") + m.platform.platformName();
    const QString distribution = QSysInfo::prettyProductName();
    if (!distribution.isEmpty() && distribution != m.platform.platformName())
        text += QLatin1Char('\n') + distribution;
    lblPlatform->setText(text);
}

void frmAbout::cmdOK_Click()
{
    accept();
    m.CloseAboutBox();
}
