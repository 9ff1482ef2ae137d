// Score data files and the pending-score file: readScoreLines, PendingScores::load and
// the score-line rule they read by. What is taken must be written back and read again
// unchanged.
#include "FuzzSupport.h"

#include "net/ScoreLine.h"
#include "scoring/PendingScores.h"
#include "scoring/ScoreDataFile.h"

#include <QDir>

using namespace corvanta;
using corvanta::fuzz::require;

namespace {

void checkTakenLine(const QString &line)
{
    const std::optional<ScoreLine> score = ScoreLine::parse(line);
    require(score.has_value(), "a taken line is a score line");
    // Written again, a score line reads as the same score.
    const std::optional<ScoreLine> again = ScoreLine::parse(score->text());
    require(again && again->text() == score->text(), "a score line survives being written again");
    require(!score->text().contains(u'|'), "no score line can split an upload");
}

// Lines the pending file takes come back unchanged after a rewrite.
void checkRewrite(const QString &folder, const QStringList &lines)
{
    const QString path = folder + QStringLiteral("/again.cvr");
    require(bool(writeScoreLines(path, lines)), "taken lines can be written");
    const ScoreFileContent again = readScoreLines(path);
    require(again.error.isEmpty() && again.badLines.isEmpty(), "written lines read back without complaint");
    require(again.lines == lines, "written lines read back unchanged");
}

// What PendingScores::load sets aside is removed again, so runs do not fill the folder.
void clearFolder(const QString &folder)
{
    QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files))
        dir.remove(name);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    const QString folder = fuzz::scratchPath(QStringLiteral("data"));
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/") + PendingScores::defaultFileName();
    fuzz::writeFile(path, bytes);

    const ScoreFileContent content = readScoreLines(path);
    require(content.error.isEmpty(), "a small readable file is read");
    for (const QString &line : content.lines)
        checkTakenLine(line);
    if (!content.badLines.isEmpty())
        describeBadLines(content.badLines);
    require(!readScoreLines(path, size > 0 ? qint64(size) - 1 : 0).error.isEmpty() || size == 0,
            "a file over the size limit is refused");

    PendingScores pending(path);
    const QString problem = pending.load();
    require(pending.lines() == content.lines, "the pending list is what the file reader takes");
    require(problem.isEmpty() == content.badLines.isEmpty(), "lines skipped on loading are reported");
    clearFolder(folder);
    checkRewrite(folder, content.lines);
    clearFolder(folder);
    return 0;
}
