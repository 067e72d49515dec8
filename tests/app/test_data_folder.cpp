// Where Dawnbell finds its data folder, and which address each web item of the Help menu opens.

#include "resources/DataFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

// The paths of the Help menu's web items.
const QStringList menuPaths{"/dawnbell/qa.html",      "/dawnbell/addins.html",  "/dawnbell/updates.html",
                            "/dawnbell/bug.html",     "/dawnbell/suggest.html", "/dawnbell/mail_list.html",
                            "/dawnbell"};

void writeHelp(const QString& folder)
{
    QVERIFY(QDir().mkpath(folder));
    QFile file(folder + "/help.txt");
    QVERIFY(file.open(QIODevice::WriteOnly));
}

}  // namespace

class TestDataFolder : public QObject {
    Q_OBJECT

private slots:
    void webAddress_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("data");
        QTest::addColumn<QString>("address");
        const QString data = "/usr/share/dawnbell";
        QTest::newRow("shipped page") << "/dawnbell/qa.html" << "" << data
                                      << "file:///usr/share/dawnbell/pages/dawnbell/qa.html";
        QTest::newRow("shipped home: its index") << "/dawnbell" << "" << data
                                                 << "file:///usr/share/dawnbell/pages/dawnbell/index.html";
        QTest::newRow("web base") << "/dawnbell/addins.html" << "https://www.example.org" << data
                                  << "https://www.example.org/dawnbell/addins.html";
        QTest::newRow("web base, home as it is") << "/dawnbell" << "https://www.example.org/" << data
                                                 << "https://www.example.org/dawnbell";
    }

    void webAddress()
    {
        QFETCH(QString, path);
        QFETCH(QString, base);
        QFETCH(QString, data);
        QFETCH(QString, address);
        QCOMPARE(DawnbellWebAddress(path, base, data), address);
    }

    // The build lays out the data folder as it is installed: every web item opens a page that is there, and
    // every placeholder of the pages and the help text was filled in.
    void shippedDataIsComplete()
    {
        const QString data = DAWNBELL_BUILD_DATA_DIR;
        QStringList files{data + "/help.txt", data + "/pages/dawnbell/dawnbell.css"};
        for (const QString& path : menuPaths)
            files += QUrl(DawnbellWebAddress(path, QString(), data)).toLocalFile();
        for (const QString& name : std::as_const(files)) {
            QFile file(name);
            QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(name));
            QVERIFY2(!file.readAll().contains("@DAWNBELL_"), qPrintable(name));
        }
    }

    void dataFolderIsTheFirstWithHelp()
    {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QString own = root.filePath("own");
        const QString dataHome = root.filePath("home");
        const QString dataDirs = root.filePath("dirs");
        qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(dataDirs));
        qputenv("DAWNBELL_DATA_DIR", QFile::encodeName(own));

        writeHelp(dataDirs + "/dawnbell");
        QCOMPARE(DawnbellDataFolder(), dataDirs + "/dawnbell");
        writeHelp(dataHome + "/dawnbell");
        QCOMPARE(DawnbellDataFolder(), dataHome + "/dawnbell");
        writeHelp(own);
        QCOMPARE(DawnbellDataFolder(), own);
    }
};

QTEST_GUILESS_MAIN(TestDataFolder)
#include "test_data_folder.moc"
