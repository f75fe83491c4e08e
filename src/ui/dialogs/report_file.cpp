#include "ui/dialogs/report_file.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <optional>

namespace orv {

namespace {

// JSON numbers are doubles: a whole one within the range of a byte count or a position.
std::optional<std::int64_t> Whole(const QJsonValue& value) {
    if (!value.isDouble()) return std::nullopt;
    const double d = value.toDouble();
    if (d != std::trunc(d) || std::fabs(d) > 4e9) return std::nullopt;
    return std::int64_t(d);
}

bool ParseJsonReport(const QJsonValue& value, ReadReport& report) {
    if (!value.isObject()) return false;
    const QJsonObject object = value.toObject();
    const auto start = Whole(object.value("start"));
    const QJsonValue bad = object.value("bad");
    if (!start || !IsReportStart(*start) || !bad.isArray()) return false;
    if (const QJsonValue name = object.value("name"); name.isString())
        report.name = name.toString().toStdString();
    report.startByte = std::int32_t(*start);
    for (const QJsonValue piece : bad.toArray()) {
        if (!piece.isObject()) return false;
        const auto position = Whole(piece.toObject().value("position"));
        if (!position || !AddReportPosition(report, *position)) return false;
    }
    return true;
}

bool ParseJsonReports(const QByteArray& text, std::vector<ReadReport>& reports) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError) return false;
    if (doc.isObject()) return ParseJsonReport(doc.object(), reports.emplace_back());
    for (const QJsonValue entry : doc.array())
        if (!ParseJsonReport(entry, reports.emplace_back())) return false;
    return !reports.empty();
}

}  // namespace

bool LoadBadSectorReports(const std::string& path, std::vector<ReadReport>& reports,
                          std::string& error) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        error = path + "\n\nFile could not be opened.";
        return false;
    }
    const QByteArray text = file.readAll();
    std::vector<ReadReport> saved, json;
    if (ParseSavedReports(text.toStdString(), saved)) {
        reports = std::move(saved);
        return true;
    }
    if (ParseJsonReports(text, json)) {
        reports = std::move(json);
        return true;
    }
    error = path +
            "\n\nis neither a bad-sector report saved by Orvalis nor the --report-json file of a "
            "copy or a rescue.";
    return false;
}

}  // namespace orv
