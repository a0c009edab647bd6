// tavelo-bench: makes its own inputs, runs the cases and prints one table of
// figures and targets. Names of cases on the command line (print, cardfile,
// resize, startup, qr, merge, view, typeset, sides, shapes) run only those; "inputs DIR" only makes the inputs in DIR,
// to look at a case by hand. Exit status 1 when a target is missed.
#include "BenchCard.h"
#include "Cases.h"
#include "ResultTable.h"
#include "card/CardDocument.h"
#include "sheet/FontMapping.h"
#include "widgets/ErrorGuard.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>

namespace {

BenchSetup prepareInputs(const QString &dir)
{
    BenchSetup setup;
    setup.batchProgram = QStringLiteral(TAVELO_BATCH);
    setup.startupProgram = QStringLiteral(TAVELO_BENCH_STARTUP);
    setup.dir = dir;
    constexpr int Slots = CardDocument::SlotCount;
    setup.pictures = BenchCard::writePictures(dir, Slots);
    setup.largestCard = QDir(dir).filePath(QStringLiteral("largest.tvl"));
    setup.halfCard = QDir(dir).filePath(QStringLiteral("half.tvl"));
    if (setup.pictures.size() != Slots || !BenchCard::writeCard(setup.largestCard, Slots, setup.pictures)
        || !BenchCard::writeCard(setup.halfCard, Slots / 2, setup.pictures)) {
        std::fprintf(stderr, "tavelo-bench: cannot write the inputs into %s\n", qPrintable(dir));
        std::exit(1);
    }
    return setup;
}

// The first value of a "name : value" line in a /proc file.
QString procValue(const char *file, const char *name)
{
    QFile proc(QString::fromLatin1(file));
    if (!proc.open(QIODevice::ReadOnly))
        return {};
    const QRegularExpression line(QStringLiteral("^%1\\s*:\\s*(.*)$").arg(QLatin1String(name)),
                                  QRegularExpression::MultilineOption);
    return line.match(QString::fromLatin1(proc.readAll())).captured(1).trimmed();
}

// Cores, processor and memory, for the figures to be read against.
QString machine()
{
    const double memoryGiB = procValue("/proc/meminfo", "MemTotal").section(QLatin1Char(' '), 0, 0).toDouble()
                             / (1024.0 * 1024.0);
    return QStringLiteral("%1 cores, %2, %3 GiB memory")
        .arg(QThread::idealThreadCount())
        .arg(procValue("/proc/cpuinfo", "model name"))
        .arg(memoryGiB, 0, 'f', 1);
}

// Settings and recovery copies of a folder of the benchmark's own, for it
// and the programs it starts: the window opens as it does for a new user
// (the user's remembered view and zoom would change what is measured), and
// the user's list of recent cards does not fill with the benchmark's.
class OwnHome
{
public:
    OwnHome()
    {
        QByteArray base = qgetenv("TMPDIR");
        if (base.isEmpty())
            base = "/tmp";
        QByteArray folder = base + "/tavelo-bench-home-XXXXXX";
        if (!::mkdtemp(folder.data())) {
            std::fprintf(stderr, "tavelo-bench: no folder for its own settings in %s\n", base.constData());
            std::exit(1);
        }
        m_folder = QString::fromLocal8Bit(folder);
        qputenv("XDG_CONFIG_HOME", folder + "/config");
        qputenv("XDG_STATE_HOME", folder + "/state");
    }
    ~OwnHome() { QDir(m_folder).removeRecursively(); }
    OwnHome(const OwnHome &) = delete;
    OwnHome &operator=(const OwnHome &) = delete;

private:
    QString m_folder;
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const OwnHome home;
    TaveloApplication app(argc, argv);
    FontMapping::installFaceSubstitutions();

    const std::map<QString, std::function<void(const BenchSetup &, ResultTable &)>> cases = {
        {QStringLiteral("print"), printCases},
        {QStringLiteral("cardfile"), cardFileCase},
        {QStringLiteral("resize"), liveResizeCase},
        {QStringLiteral("startup"), startupCase},
        {QStringLiteral("qr"), qrCase},
        {QStringLiteral("merge"), mergeCase},
        {QStringLiteral("view"), printViewCase},
        {QStringLiteral("printshop"), printShopCase},
        {QStringLiteral("typeset"), typesetCase},
        {QStringLiteral("shapes"), shapesCase},
        {QStringLiteral("sides"), sidesMergeCase},
    };
    QStringList chosen = app.arguments().mid(1);
    if (chosen.size() == 2 && chosen.at(0) == QLatin1String("inputs")) {
        QDir().mkpath(chosen.at(1));
        writeMergeInputs(prepareInputs(QDir(chosen.at(1)).absolutePath()));
        return 0;
    }
    if (chosen.isEmpty())
        chosen = {QStringLiteral("print"),   QStringLiteral("cardfile"),  QStringLiteral("resize"),
                  QStringLiteral("startup"), QStringLiteral("qr"),        QStringLiteral("merge"),
                  QStringLiteral("view"),    QStringLiteral("printshop"), QStringLiteral("sides"),
                  QStringLiteral("shapes"),  QStringLiteral("typeset")};

    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "tavelo-bench: no temporary folder\n");
        return 1;
    }
    std::fprintf(stderr, "tavelo-bench: making the inputs in %s\n", qPrintable(dir.path()));
    const BenchSetup setup = prepareInputs(dir.path());

    ResultTable table;
    for (const QString &name : chosen) {
        const auto found = cases.find(name);
        if (found == cases.end()) {
            std::fprintf(stderr, "tavelo-bench: no case named %s\n", qPrintable(name));
            return 2;
        }
        std::fprintf(stderr, "tavelo-bench: case %s\n", qPrintable(name));
        found->second(setup, table);
    }
    std::printf("Machine: %s\n\n%s", qPrintable(machine()), qPrintable(table.text()));
    std::printf("%s\n", table.allPassed() ? "All targets met." : "Some targets missed.");
    return table.allPassed() ? 0 : 1;
}
