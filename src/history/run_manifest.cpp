#include "history/run_manifest.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace history
{
namespace
{

QByteArray CompactLine(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

KeptWorkbook WorkbookOf(const QJsonObject &object)
{
    KeptWorkbook workbook;
    workbook.relativePath = object.value(QStringLiteral("path")).toString();
    workbook.size = static_cast<qint64>(object.value(QStringLiteral("size")).toDouble());
    workbook.modifiedMs = static_cast<qint64>(object.value(QStringLiteral("modified")).toDouble());
    workbook.originalHash = object.value(QStringLiteral("original")).toString().toLatin1();
    workbook.resultHash = object.value(QStringLiteral("result")).toString().toLatin1();
    // Lines written before the kind was named were hashed with SHA-1. A kind
    // this build does not know matches no file, so the workbook is left alone.
    const QJsonValue kind = object.value(QStringLiteral("digest"));
    const QByteArray kindName =
        kind.isUndefined() ? HashKindName(HashKind::Sha1) : kind.toString().toLatin1();
    if (!HashKindNamed(kindName, workbook.hashKind))
        workbook.originalHash = workbook.resultHash = QByteArray();
    return workbook;
}

void MarkRestored(RunManifest &manifest, const QString &relativePath)
{
    for (KeptWorkbook &workbook : manifest.workbooks)
        if (workbook.relativePath == relativePath)
            workbook.restored = true;
}

} // namespace

QByteArray ManifestHeaderLine(const QString &job, const QString &startedAt)
{
    return CompactLine({{QStringLiteral("job"), job}, {QStringLiteral("started"), startedAt}});
}

QByteArray ManifestLine(const KeptWorkbook &workbook)
{
    return CompactLine(
        {{QStringLiteral("path"), workbook.relativePath},
         {QStringLiteral("size"), double(workbook.size)},
         {QStringLiteral("modified"), double(workbook.modifiedMs)},
         {QStringLiteral("original"), QString::fromLatin1(workbook.originalHash)},
         {QStringLiteral("result"), QString::fromLatin1(workbook.resultHash)},
         {QStringLiteral("digest"), QString::fromLatin1(HashKindName(workbook.hashKind))}});
}

QByteArray RestoredLine(const QString &relativePath)
{
    return CompactLine({{QStringLiteral("restored"), relativePath}});
}

QByteArray ReportLine(const QString &relativePath, const QByteArray &hash)
{
    return CompactLine({{QStringLiteral("report"), relativePath},
                        {QStringLiteral("hash"), QString::fromLatin1(hash)}});
}

bool ReadManifest(const QString &path, RunManifest &manifest)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    manifest = RunManifest();
    while (!file.atEnd()) {
        const QJsonObject object = QJsonDocument::fromJson(file.readLine()).object();
        if (object.contains(QStringLiteral("job"))) {
            manifest.job = object.value(QStringLiteral("job")).toString();
            manifest.startedAt = object.value(QStringLiteral("started")).toString();
        } else if (object.contains(QStringLiteral("path")) &&
                   object.contains(QStringLiteral("result"))) {
            manifest.workbooks.push_back(WorkbookOf(object));
        } else if (object.contains(QStringLiteral("restored"))) {
            MarkRestored(manifest, object.value(QStringLiteral("restored")).toString());
        } else if (object.contains(QStringLiteral("report"))) {
            manifest.reportPath = object.value(QStringLiteral("report")).toString();
            manifest.reportHash = object.value(QStringLiteral("hash")).toString().toLatin1();
        }
    }
    return true;
}

} // namespace history
