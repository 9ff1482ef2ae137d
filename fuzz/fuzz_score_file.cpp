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

void checkTakenLine(const ScoreLine &score)
{
    // Written again, a score line reads as the same score.
    const std::optional<ScoreLine> again = ScoreLine::parse(score.text());
    require(again && *again == score, "a score line survives being written again");
    require(!score.text().contains(u'|'), "no score line can split an upload");
}

// Lines the pending file takes come back unchanged after a rewrite.
void checkRewrite(const QString &folder, const QList<ScoreLine> &lines)
{
    const QString path = folder + QStringLiteral("/again.cvr");
    require(writeScoreLines(path, lines).ok(), "taken lines can be written");
    const Expected<ScoreFileContent> again = readScoreLines(path);
    require(again.ok() && again->badLines.isEmpty(), "written lines read back without complaint");
    require(again->lines == lines, "written lines read back unchanged");
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

    const Expected<ScoreFileContent> read = readScoreLines(path);
    require(read.ok(), "a small readable file is read");
    const ScoreFileContent &content = *read;
    for (const ScoreLine &line : content.lines)
        checkTakenLine(line);
    if (!content.badLines.isEmpty())
        require(!describeBadLines(content.badLines).isEmpty(), "skipped lines are described");
    require(!readScoreLines(path, size > 0 ? qint64(size) - 1 : 0).ok() || size == 0,
            "a file over the size limit is refused");

    PendingScores pending(path);
    const Result loaded = pending.load();
    require(pending.scores() == content.lines, "the pending list is what the file reader takes");
    require(loaded.ok() == content.badLines.isEmpty(), "lines skipped on loading are reported");
    clearFolder(folder);
    checkRewrite(folder, content.lines);
    clearFolder(folder);
    return 0;
}
