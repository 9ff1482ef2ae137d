#include "LayerCheck.h"

#include <QFile>
#include <QTest>

using namespace layers;

namespace {

// A made-up project: libraries a, b and c under src, store and pages (which links store)
// under server, each exporting its folder for headers by bare name, a test under tests.
Project fakeProject(const QStringList &cLinks)
{
    Project p;
    p.roots = {u"/p/src"_qs, u"/p/server"_qs, u"/p/tests"_qs};
    p.includeDirs = {u"/p/server/store"_qs, u"/p/server/pages"_qs};
    p.targets = {
        {u"store"_qs, true, {u"/p/server/store/Store.h"_qs}, {}},
        {u"pages"_qs, true, {u"/p/server/pages/Routes.h"_qs, u"/p/server/pages/Routes.cpp"_qs}, {u"store"_qs}},
        {u"a"_qs, true, {u"/p/src/a/A.h"_qs, u"/p/src/a/A.cpp"_qs}, {}},
        {u"b"_qs, true, {u"/p/src/b/B.h"_qs}, {}},
        {u"c"_qs, true, {u"/p/src/c/C.h"_qs, u"/p/src/c/C.cpp"_qs}, QSet<QString>(cLinks.begin(), cLinks.end())},
        {u"test_u"_qs, false, {u"/p/tests/u/tst_U.cpp"_qs, u"/p/tests/u/Rig.h"_qs}, {u"a"_qs}},
        {u"test_t"_qs, false, {u"/p/tests/t/tst_T.cpp"_qs}, {u"c"_qs}},
    };
    return p;
}

} // namespace

class TestLayers : public QObject
{
    Q_OBJECT

    // Reads the project's files once each.
    FileReader diskReader()
    {
        return [cache = std::make_shared<QHash<QString, std::optional<QString>>>()](const QString &path) {
            auto it = cache->constFind(path);
            if (it != cache->constEnd())
                return *it;
            QFile file(path);
            std::optional<QString> text;
            if (file.open(QIODevice::ReadOnly))
                text = QString::fromUtf8(file.readAll());
            cache->insert(path, text);
            return text;
        };
    }

private slots:
    void projectIncludesOnlyWhatItLinks()
    {
        QString error;
        const Project project = readProject(QStringLiteral(CORVANTA_LAYERS_DATA), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY(project.targets.size() > 20);
        const QStringList found = violations(project, diskReader());
        QVERIFY2(found.isEmpty(), qPrintable(found.join(u'\n')));
    }

    // The closure the build writes: PUBLIC links pass on, PRIVATE ones do not.
    void linkClosure_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("dependency");
        QTest::addColumn<bool>("linked");
        QTest::newRow("direct") << "corvanta_console" << "corvanta_net" << true;
        QTest::newRow("through PUBLIC links") << "corvanta_console" << "corvanta_core" << true;
        QTest::newRow("a PRIVATE link of a library stays there") << "corvanta_console"
                                                                  << "Qt6::TextToSpeech" << false;
        QTest::newRow("a pure model links no widgets") << "corvanta_console_model" << "corvanta_widgets"
                                                       << false;
        QTest::newRow("the server links the protocol") << "corvanta_server_lib" << "corvanta_net_protocol"
                                                       << true;
        QTest::newRow("the server links no tool transport") << "corvanta_server_lib" << "corvanta_net"
                                                            << false;
        QTest::newRow("the pages reach the store through the service")
            << "corvanta_server_pages" << "corvanta_server_store" << true;
        QTest::newRow("the store links no pages") << "corvanta_server_store" << "corvanta_server_pages" << false;
        QTest::newRow("HTTP knows no store") << "corvanta_server_http" << "corvanta_server_store" << false;
        QTest::newRow("the web's HTML knows no service") << "corvanta_server_web" << "corvanta_server_service"
                                                         << false;
        QTest::newRow("the service links no front") << "corvanta_server_service" << "corvanta_server_lib"
                                                    << false;
    }
    void linkClosure()
    {
        QFETCH(QString, target);
        QFETCH(QString, dependency);
        QFETCH(bool, linked);
        QString error;
        const Project project = readProject(QStringLiteral(CORVANTA_LAYERS_DATA), &error);
        const auto it = std::find_if(project.targets.begin(), project.targets.end(),
                                     [&](const Target &t) { return t.name == target; });
        QVERIFY(it != project.targets.end());
        QCOMPARE(it->links.contains(dependency), linked);
    }

    // The check itself, on a made-up project whose files are given here.
    void check_data()
    {
        QTest::addColumn<QStringList>("cLinks");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected"); // empty: no violation

        QTest::newRow("a linked library") << QStringList{u"a"_qs} << "/p/src/c/C.cpp"
                                          << "#include \"a/A.h\"\n" << "";
        QTest::newRow("its own header, beside it") << QStringList{} << "/p/src/c/C.cpp"
                                                   << "#include \"C.h\"\n#include <QString>\n" << "";
        QTest::newRow("a library it does not link")
            << QStringList{u"a"_qs} << "/p/src/c/C.cpp" << "#include \"a/A.h\"\n  #  include \"b/B.h\"\n"
            << "/p/src/c/C.cpp: includes b/B.h of b, which c does not link";
        QTest::newRow("in a header too") << QStringList{} << "/p/src/c/C.h" << "#include \"a/A.h\"\n"
                                         << "/p/src/c/C.h: includes a/A.h of a, which c does not link";
        QTest::newRow("a test that does not link it")
            << QStringList{} << "/p/tests/t/tst_T.cpp" << "#include \"c/C.h\"\n#include \"a/A.h\"\n"
            << "/p/tests/t/tst_T.cpp: includes a/A.h of a, which test_t does not link";
        QTest::newRow("another test's rig") << QStringList{} << "/p/tests/t/tst_T.cpp"
                                            << "#include \"../u/Rig.h\"\n" << "";
        QTest::newRow("a header no library lists")
            << QStringList{u"a"_qs} << "/p/src/c/C.cpp" << "#include \"a/Stray.h\"\n"
            << "/p/src/c/C.cpp: includes a/Stray.h, which no library lists (in c)";
        QTest::newRow("a generated header") << QStringList{} << "/p/src/c/C.cpp" << "#include \"ui_C.h\"\n"
                                            << "";
        QTest::newRow("commented out") << QStringList{} << "/p/src/c/C.cpp" << "// #include \"b/B.h\"\n" << "";
        QTest::newRow("a bare name from a linked library's folder")
            << QStringList{} << "/p/server/pages/Routes.cpp" << "#include \"Routes.h\"\n#include \"Store.h\"\n"
            << "";
        QTest::newRow("a bare name from a library above")
            << QStringList{} << "/p/server/store/Store.h" << "#include \"Routes.h\"\n"
            << "/p/server/store/Store.h: includes Routes.h of pages, which store does not link";
    }
    void check()
    {
        QFETCH(QStringList, cLinks);
        QFETCH(QString, file);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const Project project = fakeProject(cLinks);
        const FileReader read = [&](const QString &path) -> std::optional<QString> {
            if (path == file)
                return text;
            if (path == u"/p/src/a/Stray.h")
                return QString();
            for (const Target &t : project.targets)
                if (t.sources.contains(path))
                    return QString();
            return std::nullopt;
        };
        const QStringList found = violations(project, read);
        QCOMPARE(found, expected.isEmpty() ? QStringList{} : QStringList{expected});
    }

    // The real server with one line added: a store header that includes a page header.
    void deliberateBackLink()
    {
        QString error;
        const Project project = readProject(QStringLiteral(CORVANTA_LAYERS_DATA), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        const QString store = project.roots.value(1) + QStringLiteral("/store/Store.h");
        const FileReader disk = diskReader();
        const FileReader read = [&](const QString &path) {
            std::optional<QString> text = disk(path);
            if (path == store && text)
                text->append(QStringLiteral("#include \"Routes.h\"\n"));
            return text;
        };
        const QStringList found = violations(project, read);
        QVERIFY2(found.contains(store + QStringLiteral(": includes Routes.h of corvanta_server_pages, which "
                                                       "corvanta_server_store does not link")),
                 qPrintable(found.join(u'\n')));
    }

    void unreadableData()
    {
        QString error;
        QVERIFY(readProject(QStringLiteral("/nonexistent/layers.tsv"), &error).targets.isEmpty());
        QVERIFY(error.contains(u"/nonexistent/layers.tsv"));
    }
};

QTEST_GUILESS_MAIN(TestLayers)
#include "tst_Layers.moc"
