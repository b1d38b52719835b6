// The conversion dialog driving the real conversion library: search, two
// conversions in one session, the labels, and the report appended when the
// dialog is freed (and left alone when there is nothing to report).

#include "common/Utils.h"
#include "common/uAtomicFile.h"
#include "common/ui/MessageService.h"
#include "document/uRChart.h"
#include "support/TestCharts.h"
#include "tools/uCnvLibrary.h"
#include "tools/uDpbFile.h"
#include "tools/ui/uCnvFiles.h"

#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QFileSystemModel>
#include <QTreeView>
#include <QtTest>

#include <filesystem>
#include <fstream>

using namespace rs;

namespace {
QString U(const char* s) { return QString::fromUtf8(s); }

void Write(const std::string& path, const std::string& bytes)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Read(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

std::string GoodDpb()
{
    TRChart c;
    test::MakeDigitizedChart(c, false);
    return WriteDpb(c);
}

// A concluded scale whose control points no longer agree: must be digitized again.
std::string PoorDpb()
{
    TRChart c;
    test::MakeDigitizedChart(c, true);
    c.Scale().Items(2)->SetValue(c.Scale().Items(2)->Time() + 0.5, c.Scale().Items(2)->Prec());
    return WriteDpb(c);
}

// The library lies in the build's program folder.
QString LibraryFolder()
{
    QDir d(QCoreApplication::applicationDirPath());
    for (int up = 0; up < 4; ++up) {
        if (QFile::exists(d.filePath(QStringLiteral("src/app/") + QLatin1String(kCnvLibraryName))))
            return d.filePath(QStringLiteral("src/app"));
        if (QFile::exists(d.filePath(QLatin1String(kCnvLibraryName))))
            return d.path();
        d.cdUp();
    }
    return {};
}
} // namespace

class TstCnvFilesDlg : public QObject
{
    Q_OBJECT
    TScriptedMessages FBoxes;
    QTemporaryDir FTmp;

private slots:
    void initTestCase()
    {
        SetMessages(&FBoxes);
        const QString lib = LibraryFolder();
        QVERIFY2(!lib.isEmpty(), "conversion library not built");
        TCnvLibrary::Instance().Load(lib.toStdString());
        QVERIFY(TCnvLibrary::Instance().Loaded());
        QVERIFY(TCnvLibrary::Instance().HasEntry());
    }
    void cleanupTestCase() { SetMessages(nullptr); }

    void layoutAndText()
    {
        TCnvFilesDlg d(FTmp.path().toStdString(), FTmp.filePath(QStringLiteral("r.txt")).toStdString());
        QCOMPARE(d.windowTitle(), U("Conversão dos arquivos \".dpb\" para \".pvd\""));
        QCOMPARE(d.size(), QSize(592, 423));
        const QStringList lines = d.mmInfo->toPlainText().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 17);
        QCOMPARE(lines[0], U("        Por questões técnicas, os arquivos \".dpb\" (gerados pelas versões "));
        QCOMPARE(lines[2], U("para que possam ser processados normalmente."));
        QCOMPARE(lines[3], QString());
        QCOMPARE(lines[10], U("quais,  assim como os arquivos \".dpa\", não terão mais utilidade e "));
        QCOMPARE(lines[13], U("        Os arquivos que não puderem ser convertidos terão seus nomes "));
        QCOMPARE(lines[16], QString());
        QVERIFY(d.mmInfo->isReadOnly());
        QCOMPARE(d.btConvert->text(), U("&Localizar  Arquivos"));
        QCOMPARE(d.Folder(), QDir::toNativeSeparators(FTmp.path()));
        for (QLabel* l : {d.lbFileCnt, d.lbRedigit, d.lbNoCnv, d.lbErrors, d.lbFileName})
            QVERIFY(l->isHidden());
    }

    // The tree opens at the start folder, every folder above it expanded, once the model has read them.
    void treeOpensAtTheStartFolder()
    {
        const QString start = FTmp.path() + QStringLiteral("/deep/er");
        QVERIFY(QDir().mkpath(start));
        TCnvFilesDlg d(start.toStdString(), FTmp.filePath(QStringLiteral("r.txt")).toStdString());
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        auto* model = qobject_cast<QFileSystemModel*>(d.DirList->model());
        QTRY_COMPARE(model->filePath(d.DirList->currentIndex()), start);
        for (QModelIndex i = d.DirList->currentIndex().parent(); i.isValid(); i = i.parent())
            QTRY_VERIFY2(d.DirList->isExpanded(i), qPrintable(model->filePath(i)));
        QTRY_VERIFY(d.DirList->viewport()->rect().intersects(d.DirList->visualRect(d.DirList->currentIndex())));
        QCOMPARE(d.Folder(), QDir::toNativeSeparators(start));
    }

    void twoConversionsAndTheReport()
    {
        const std::string root = FTmp.path().toStdString() + "/one/";
        Write(root + "a.dpb", GoodDpb());
        Write(root + "sub/b.dpb", PoorDpb());
        Write(root + "sub/deep/c.dpb", GoodDpb());
        Write(root + "junk.dpb", "not a beta file");
        Write(root + ".hidden.dpb", GoodDpb());
        Write(root + ".hid/d.dpb", GoodDpb());
        const std::string root2 = FTmp.path().toStdString() + "/two/";
        Write(root2 + "x/e.dpb", PoorDpb());
        Write(root2 + "f.dpb", GoodDpb());
        Write(root2 + "f.pvd", "converted before");
        Write(root2 + "g.dpb", GoodDpb());
        const std::string report = FTmp.path().toStdString() + "/Redigit.txt";
        Write(report, "earlier block\r\n");
        {
            TCnvFilesDlg d(root, report);
            d.Now = [] { return QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)); };
            d.show();
            d.btConvert->click();
            QCOMPARE(d.lbFileCnt->text(), U("4  arquivos \".dpb\" localizados na pasta"));
            QVERIFY(d.lbFileCnt->isVisible());
            QCOMPARE(d.btConvert->text(), U("&Converter  Arquivos"));
            QVERIFY(d.btConvert->isEnabled());
            // A folder's files before its subfolders'.
            QVERIFY(d.Session().Found[0].find("/one/a.dpb") != std::string::npos ||
                    d.Session().Found[0].find("/one/junk.dpb") != std::string::npos);
            QVERIFY(d.Session().Found[3].find("/sub/deep/c.dpb") != std::string::npos);

            d.btConvert->click();
            QCOMPARE(d.lbFileName->text(), U("2 arquivos foram convertidos com sucesso!"));
            QCOMPARE(d.lbFileCnt->text(), U("2  arquivos \".dpb\" convertidos para \".pvd\""));
            QVERIFY(d.lbRedigit->isVisible());
            QCOMPARE(d.lbRedigit->text(), U("1  arquivos devem ser redigitalizados (REDIGIT.TXT)"));
            QVERIFY(d.lbErrors->isVisible());
            QCOMPARE(d.lbErrors->text(), U("1  arquivos não convertidos, porque houve erros"));
            QVERIFY(d.lbNoCnv->isHidden());
            QVERIFY(!d.btConvert->isEnabled());
            QVERIFY(FileExists(root + "a.pvd") && FileExists(root + "a.pv0") && !FileExists(root + "a.dpb"));
            QVERIFY(FileExists(root + ".hidden.dpb"));

            // Another folder: back to searching; the redigitize label stays.
            d.SetFolder(QString::fromStdString(root2));
            QCOMPARE(d.btConvert->text(), U("&Localizar  Arquivos"));
            QVERIFY(d.btConvert->isEnabled());
            QVERIFY(d.lbFileCnt->isHidden() && d.lbErrors->isHidden() && d.lbNoCnv->isHidden());
            QVERIFY(d.lbRedigit->isVisible());
            d.btConvert->click();
            QCOMPARE(d.lbFileCnt->text(), U("3  arquivos \".dpb\" localizados na pasta"));
            d.btConvert->click();
            QCOMPARE(d.lbFileCnt->text(), U("1  arquivos \".dpb\" convertidos para \".pvd\""));
            QCOMPARE(d.lbFileName->text(), U("3 arquivos foram convertidos com sucesso!"));
            QCOMPARE(d.lbRedigit->text(), U("2  arquivos devem ser redigitalizados (REDIGIT.TXT)"));
            QCOMPARE(d.lbNoCnv->text(), U("1  arquivos não convertidos, porque já tinham sido"));
            QVERIFY(d.lbNoCnv->isVisible());
            QVERIFY(d.lbErrors->isHidden());
            QCOMPARE(Read(report), std::string("earlier block\r\n")); // written when the dialog is freed
        }
        const QStringList lines = QString::fromLatin1(Read(report).c_str()).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 8);
        QCOMPARE(lines[0], QStringLiteral("earlier block"));
        QCOMPARE(lines[1], QString::fromLatin1("Arquivos que devem ser redigitalizados, porque n\xE3o puderam ser"));
        QCOMPARE(lines[2], QStringLiteral("convertidos, devido a precis") + QChar(0xE3) +
                               QStringLiteral("o da escala (04/03/2026 05:06:07)"));
        QCOMPARE(lines[3], QString(62, QLatin1Char('-')));
        QCOMPARE(lines[4], QString::fromStdString(root + "sub/b.dpb"));
        QCOMPARE(lines[5], QString::fromStdString(root2 + "x/e.dpb"));
        QCOMPARE(lines[6], QString());
        QCOMPARE(lines[7], QString()); // after the last CR LF
    }

    void nothingToRedigitizeLeavesTheReport()
    {
        const std::string root = FTmp.path().toStdString() + "/three/";
        Write(root + "only.txt", "x");
        const std::string report = FTmp.path().toStdString() + "/Redigit3.txt";
        Write(report, "untouched\r\n");
        {
            TCnvFilesDlg d(root, report);
            d.btConvert->click();
            QCOMPARE(d.lbFileCnt->text(), U("0  arquivos \".dpb\" localizados na pasta"));
            QVERIFY(!d.btConvert->isEnabled());
            Write(root + "h.dpb", GoodDpb());
            d.SetFolder(QString::fromStdString(FTmp.path().toStdString() + "/three"));
            d.btConvert->click();
            d.btConvert->click();
            QCOMPARE(d.lbFileName->text(), U("1 arquivos foram convertidos com sucesso!"));
        }
        QCOMPARE(Read(report), std::string("untouched\r\n"));
        for (const auto& e : std::filesystem::directory_iterator(FTmp.path().toStdString()))
            QVERIFY2(e.path().extension() != ".tmp", e.path().c_str());
    }

    // The disk fills up while the report is added to as the dialog closes: the
    // operator is told, the earlier report stays as it was, no temporary file is left.
    void reportOnAFullDisk()
    {
        const std::string root = FTmp.path().toStdString() + "/full/";
        Write(root + "p.dpb", PoorDpb());
        const std::string report = FTmp.path().toStdString() + "/RedigitFull.txt";
        Write(report, "earlier block\r\n");
        FBoxes.Clear();
        {
            TWriteFaultScope full({TWriteStep::Write, 20, 0, "RedigitFull"});
            {
                TCnvFilesDlg d(root, report);
                d.btConvert->click();
                d.btConvert->click();
            }
            QCOMPARE(full.Hits(), 1);
        }
        QCOMPARE(FBoxes.Count(), 1);
        QCOMPARE(FBoxes.Shown().back().Type, TMsgType::Error);
        QCOMPARE(FBoxes.LastText(), U("Erro ao gravar o arquivo \"%1\": não há espaço livre no disco. O arquivo "
                                      "anterior foi preservado.")
                                        .arg(QString::fromStdString(report)));
        QCOMPARE(Read(report), std::string("earlier block\r\n"));
        for (const auto& e : std::filesystem::directory_iterator(FTmp.path().toStdString()))
            QVERIFY2(e.path().extension() != ".tmp", e.path().c_str());
    }

    void picture()
    {
        const QString out = qEnvironmentVariable("RS_SHOT_DIR");
        if (out.isEmpty())
            QSKIP("RS_SHOT_DIR not set");
        const std::string root = FTmp.path().toStdString() + "/shot/";
        for (int i = 0; i < 30; ++i)
            Write(root + "st" + std::to_string(i % 3) + "/f" + std::to_string(i) + ".dpb", i % 10 == 3 ? PoorDpb() : GoodDpb());
        Write(root + "bad.dpb", "x");
        TCnvFilesDlg d(root, FTmp.path().toStdString() + "/shot.txt");
        d.PauseMs = 0;
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        d.btConvert->click();
        d.btConvert->click();
        QTest::qWait(50);
        QVERIFY(d.grab().save(out + QStringLiteral("/conversion.png")));
    }
};

QTEST_MAIN(TstCnvFilesDlg)
#include "tst_CnvFilesDlg.moc"
