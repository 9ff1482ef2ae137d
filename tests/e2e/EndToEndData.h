#pragma once

// The teacher, class and topic the end-to-end tests put on the server.
#include <QString>
#include <QStringList>

namespace corvanta::test::e2e {

const QString Account = QStringLiteral("teacher01");
const QString LoginPassword = QStringLiteral("课堂pass");
const QString OperationPassword = QStringLiteral("oper8");
const QString ClassName = QStringLiteral("三年级(2)班");
const QString Topic = QStringLiteral("古诗朗读");
const QStringList Students{QStringLiteral("王子涵"), QStringLiteral("李思远"), QStringLiteral("张雨桐")};

} // namespace corvanta::test::e2e
