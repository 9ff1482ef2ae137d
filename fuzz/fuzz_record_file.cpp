// The class record file as the tool reads it: the limits check that guards the cached
// file, the record parsers, and RecordFile reading the file from disk.
#include "FuzzSupport.h"

#include "app/DisplayText.h"
#include "net/RecordFormat.h"

using namespace corvanta;
using corvanta::fuzz::require;

namespace {

// Every parser on one line; what each returns has to stay within its own promises.
void parseOneLine(const QString &line)
{
    require(!line.isEmpty() && !line.contains(u'\r') && !line.contains(u'\n'), "a record is one line");
    if (const auto student = parseStudentRecord(line)) {
        require(student->group >= -1 && student->group <= 15, "a group is 0..15 or unknown");
        require(!student->name.contains(u'\t'), "a student record field holds no TAB");
        student->listItem();
    }
    if (const auto classes = parseClassListRecord(line)) {
        for (const QString &name : *classes)
            require(!name.contains(u'\t'), "a class name holds no TAB");
    }
    if (const auto topic = parseTopicName(line)) {
        require(line.startsWith(QLatin1String(kTopicMarker)), "only a topic record names a topic");
        for (const Standard &standard : parseTopicStandards(line))
            standardListLine(standard);
    }
}

// RecordFile on the same bytes, from disk: it shows what the parsers show, or nothing
// and a reason when the file is beyond the limits.
void readFromDisk(const QByteArray &bytes, bool withinLimits)
{
    const QString path = fuzz::scratchPath(QStringLiteral("ServerRec.cvd"));
    fuzz::writeFile(path, bytes);
    RecordFile file(path); // a fresh reader: the same path is rewritten within one clock tick
    const Result readable = file.readable();
    require(readable.ok() == withinLimits, "a file beyond the limits is refused");
    require(readable.ok() || !readable.error().isEmpty(), "a refused file comes with a reason");
    if (!withinLimits) {
        require(file.lines().isEmpty() && file.classNames().isEmpty(), "nothing of a refused file is shown");
        return;
    }
    require(file.lines() == parseRecordLines(bytes), "the file reads as its bytes parse");
    const QStringList classes = file.classNames();
    require(classes.size() <= kMaxRecordClasses, "the class count stays within the limit");
    require(!classes.contains(QString()), "no class without a name is shown");
    // A few of each: every query walks the whole file.
    for (const QString &className : classes.mid(0, 4)) {
        for (const StudentRecord &student : file.students(className).mid(0, 8)) {
            require(student.className == className, "a class lists only its own students");
            const auto found = file.findStudent(className, student.name);
            require(found && found->className == className && found->name == student.name,
                    "a listed student is found by name");
        }
    }
    for (const QString &topic : file.topicNames().mid(0, 4))
        file.standards(topic);
    file.ReadRecordLines(QLatin1String(kClassListMarker));
}

// Non-empty runs of bytes between line ends: what the limits check counts as records.
qsizetype byteRecords(const QByteArray &bytes)
{
    qsizetype records = 0;
    qsizetype length = 0;
    for (const char c : bytes) {
        const bool end = c == '\r' || c == '\n';
        if (end && length > 0)
            ++records;
        length = end ? 0 : length + 1;
    }
    return records + (length > 0 ? 1 : 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    const bool withinLimits = bool(checkRecordLimits(bytes));
    const bool usable = bool(checkRecordFile(bytes));
    require(!usable || (withinLimits && looksLikeRecordFile(bytes)),
            "a file that may replace the cached one is within the limits and has a class list");
    const QStringList lines = parseRecordLines(bytes);
    // A broken character must not swallow a line end, or a line could grow past the limit
    // that was checked on the bytes.
    require(lines.size() == byteRecords(bytes), "the text has the records the bytes have");
    for (const QString &line : lines)
        parseOneLine(line);
    readFromDisk(bytes, withinLimits);
    return 0;
}
