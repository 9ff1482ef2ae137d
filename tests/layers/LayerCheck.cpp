#include "LayerCheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace layers {

Project readProject(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1").arg(path);
        return {};
    }
    Project project;
    QHash<QString, qsizetype> index;
    const auto target = [&](const QString &name) -> Target & {
        auto it = index.constFind(name);
        if (it == index.constEnd()) {
            it = index.insert(name, project.targets.size());
            project.targets.append(Target{name, false, {}, {}});
        }
        return project.targets[*it];
    };
    for (const QString &line : QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList f = line.split(u'\t');
        if (f[0] == u"root" && f.size() == 2)
            project.roots.append(f[1]);
        else if (f[0] == u"include" && f.size() == 2)
            project.includeDirs.append(QDir::cleanPath(f[1]));
        else if (f[0] == u"target" && f.size() == 3)
            target(f[1]).library = f[2].endsWith(QStringLiteral("_LIBRARY"));
        else if (f[0] == u"source" && f.size() == 3)
            target(f[1]).sources.append(f[2]);
        else if (f[0] == u"link" && f.size() == 3)
            target(f[1]).links.insert(f[2]);
        else {
            *error = QStringLiteral("%1: unexpected line %2").arg(path, line);
            return {};
        }
    }
    project.includeDirs.removeDuplicates();
    return project;
}

namespace {

QStringList quotedIncludes(const QString &text)
{
    static const QRegularExpression include(QStringLiteral(R"re(^[ \t]*#[ \t]*include[ \t]*"([^"]+)")re"),
                                            QRegularExpression::MultilineOption);
    QStringList names;
    for (auto it = include.globalMatch(text); it.hasNext();)
        names.append(it.next().captured(1));
    return names;
}

bool isUnder(const QString &path, const QString &dir)
{
    return path.startsWith(dir + u'/');
}

} // namespace

QStringList violations(const Project &project, const FileReader &read)
{
    // Which libraries list each file (a file may be listed by an executable too: a test's rig).
    QHash<QString, QStringList> owners;
    for (const Target &t : project.targets)
        if (t.library)
            for (const QString &source : t.sources)
                owners[source].append(t.name);
    const QStringList checkedRoots = project.roots.mid(0, 2); // src and server hold only library files

    QStringList found;
    for (const Target &t : project.targets) {
        for (const QString &source : t.sources) {
            const std::optional<QString> text = read(source);
            if (!text)
                continue;
            for (const QString &name : quotedIncludes(*text)) {
                QStringList candidates{QFileInfo(source).absolutePath()};
                candidates += project.roots;
                candidates += project.includeDirs;
                QString header;
                for (const QString &dir : std::as_const(candidates)) {
                    const QString path = QDir::cleanPath(dir + u'/' + name);
                    if (owners.contains(path) || read(path)) {
                        header = path;
                        break;
                    }
                }
                if (header.isEmpty())
                    continue; // not a project file (a generated or system header)
                const QStringList libraries = owners.value(header);
                if (libraries.isEmpty()) {
                    if (std::any_of(checkedRoots.begin(), checkedRoots.end(),
                                    [&](const QString &root) { return isUnder(header, root); }))
                        found.append(QStringLiteral("%1: includes %2, which no library lists (in %3)")
                                         .arg(source, name, t.name));
                    continue;
                }
                const bool linked = std::any_of(libraries.begin(), libraries.end(), [&](const QString &l) {
                    return l == t.name || t.links.contains(l);
                });
                if (!linked)
                    found.append(QStringLiteral("%1: includes %2 of %3, which %4 does not link")
                                     .arg(source, name, libraries.join(u'/'), t.name));
            }
        }
    }
    found.removeDuplicates();
    return found;
}

} // namespace layers
