#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The project's targets as the build sees them, and the check that each target includes
// only headers of libraries it links.
namespace layers {

struct Target
{
    QString name;
    bool library = false;
    QStringList sources; // absolute paths
    QSet<QString> links; // what it links, directly or through PUBLIC links
};

struct Project
{
    QStringList roots; // include roots, searched after the including file's own folder
    QStringList includeDirs; // folders libraries export, searched after the roots
    QList<Target> targets;
};

// Reads the file the build writes; empty with *error set when it cannot.
Project readProject(const QString &path, QString *error);

// A file's text; the check reads files through this so that it can be tested.
using FileReader = std::function<std::optional<QString>(const QString &path)>;

// One line per violation: "<file>: includes <header> of <library>, which <target> does
// not link", or "...: includes <header>, which no library lists".
QStringList violations(const Project &project, const FileReader &read);

} // namespace layers
