#include "editors/frmVersion.h"

#include "core/Module1.h"
#include "dawnbell_build.h"
#include "platform/units.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

// The free software Dawnbell is built on, with the licence of each.
const char* const Acknowledgements =
    "<p>Dawnbell is built on free software. Thanks to the authors of:</p>"
    "<table cellspacing='0' cellpadding='1'>"
    "<tr><td><b>Qt</b> (windows, settings, tray)</td><td>&nbsp;LGPL-3.0</td></tr>"
    "<tr><td><b>libcdio</b> and <b>libcdio-paranoia</b> (audio CDs)</td><td>&nbsp;GPL-3.0+</td></tr>"
    "<tr><td><b>libsndfile</b> (sound files)</td><td>&nbsp;LGPL-2.1+</td></tr>"
    "<tr><td><b>FluidSynth</b> (MIDI sequences)</td><td>&nbsp;LGPL-2.1+</td></tr>"
    "<tr><td><b>SDL2</b> (sound output)</td><td>&nbsp;zlib</td></tr>"
    "<tr><td>The <b>FluidR3 GM</b> sound font by Frank Wen (fluid-soundfont-gm)</td><td>&nbsp;MIT</td></tr>"
    "</table>";

}  // namespace

frmVersion::frmVersion(Module1& module, QWidget* parent) : QDialog(parent), m(module)
{
    setObjectName(QStringLiteral("frmVersion"));
    setWindowTitle(QStringLiteral("Version information"));
    setModal(true);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(QIcon(QStringLiteral(":/icons/dawnbell.svg")).pixmap(32, 32));
    Image1->setAccessibleName(QStringLiteral("Dawnbell"));
    const auto label = [this](const char* name, const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    Label1 = label("Label1", QStringLiteral("Dawnbell for ") + m.platform.platformName());
    Label2 = label("Label2", QStringLiteral("Version ") + QStringLiteral(DAWNBELL_VERSION).section(u'.', 0, 1));
    Label3 = label("Label3", QStringLiteral("Compiled " DAWNBELL_BUILD_DATE));
    Command1 = new QPushButton(QStringLiteral("&OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);
    Command2 = new QPushButton(QStringLiteral("&Credits"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setAutoDefault(false);
    txtCredits = new QTextBrowser(this);
    txtCredits->setObjectName(QStringLiteral("txtCredits"));
    txtCredits->setAccessibleName(QStringLiteral("Credits"));
    txtCredits->setHtml(QLatin1String(Acknowledgements));
    txtCredits->setMinimumHeight(48);
    txtCredits->hide();  // uncovered by Credits

    auto* top = new QGridLayout;
    top->addWidget(Image1, 0, 0, 3, 1, Qt::AlignTop);
    top->addWidget(Label1, 0, 1);
    top->addWidget(Label2, 1, 1);
    top->addWidget(Label3, 2, 1);
    top->addWidget(Command1, 0, 2);
    top->addWidget(Command2, 1, 2);
    top->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(txtCredits, 1);

    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    setFixedSize(std::max(420, sizeHint().width()), layout->minimumSize().height());
}

void frmVersion::Command1_Click()
{
    accept();
    m.CloseVersionWindow();
}

// The window grows to its full height below its title bar, whatever that bar's size on this desktop, and never
// so little that the acknowledgements would not show.
void frmVersion::Command2_Click()
{
    txtCredits->show();
    setFixedHeight(std::max(TwipsToPixels(CreditsHeightTwips), layout()->minimumSize().height()));
    Command2->setEnabled(false);
}
