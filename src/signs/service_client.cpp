#include "signs/service_client.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include <memory>

namespace lumivo::signs {

namespace {

link::BoxKind KindOfName(const QString& name) {
    if (name == QStringLiteral("information")) {
        return link::BoxKind::Information;
    }
    if (name == QStringLiteral("error")) {
        return link::BoxKind::Error;
    }
    if (name == QStringLiteral("plain")) {
        return link::BoxKind::Plain;
    }
    return link::BoxKind::None;
}

ServiceAnswer Failed(std::string details) {
    ServiceAnswer answer;
    answer.reached = true;
    answer.outcome = link::Outcome(link::BoxKind::None, std::string(), false, std::move(details));
    return answer;
}

} // namespace

ServiceAnswer ReadServiceAnswer(int status, const QByteArray& body, const QString& signName) {
    const QJsonObject object = QJsonDocument::fromJson(body).object();
    if (status == 401) {
        return Failed("lumivod refused the token in lumivod.token (401)");
    }
    if (object.contains(QStringLiteral("error"))) {
        QString said = object.value(QStringLiteral("error")).toString();
        const QString field = object.value(QStringLiteral("field")).toString();
        if (!field.isEmpty()) {
            said += QStringLiteral(" (field ") + field + QLatin1Char(')');
        }
        return Failed(QStringLiteral("lumivod refused the command (%1): %2")
                          .arg(status)
                          .arg(said)
                          .toStdString());
    }
    // A line with fields is kept by lumivod, which sends it filled now and whenever a field
    // changes; the answer comes at once, with the line as filled now.
    if (status == 202 && object.value(QStringLiteral("kept")).toBool()) {
        const QJsonObject page =
            object.value(QStringLiteral("signs")).toObject().value(signName).toObject();
        if (!page.isEmpty()) {
            ServiceAnswer answer;
            answer.reached = true;
            const QJsonValue filled = page.value(QStringLiteral("filled"));
            const QString when =
                filled.isString() ? QStringLiteral("now \"%1\", and again whenever a field changes")
                                        .arg(filled.toString())
                                  : QStringLiteral("once every field it names has a value");
            answer.outcome = link::Outcome(
                link::BoxKind::None, std::string(), true,
                (QStringLiteral("lumivod keeps the line for its fields and sends it filled ") +
                 when)
                    .toStdString());
            return answer;
        }
    }
    for (const QJsonValue& entry : object.value(QStringLiteral("outcomes")).toArray()) {
        const QJsonObject end = entry.toObject();
        if (end.value(QStringLiteral("sign")).toString() != signName) {
            continue;
        }
        ServiceAnswer answer;
        answer.reached = true;
        answer.cancelled = end.value(QStringLiteral("cancelled")).toBool();
        answer.outcome =
            link::Outcome(KindOfName(end.value(QStringLiteral("kind")).toString()),
                          end.value(QStringLiteral("text")).toString().toStdString(),
                          end.value(QStringLiteral("ok")).toBool() && !answer.cancelled,
                          end.value(QStringLiteral("details")).toString().toStdString());
        return answer;
    }
    return Failed(QStringLiteral("lumivod answered %1 without an outcome for \"%2\"")
                      .arg(status)
                      .arg(signName)
                      .toStdString());
}

ServiceAnswer RunThroughService(const ServiceRoute& route, const ServiceRequest& request,
                                const std::atomic<bool>* cancel) {
    const QString path = QStringLiteral("/api/signs/") +
                         QString::fromLatin1(QUrl::toPercentEncoding(route.signName)) +
                         QLatin1Char('/') + request.route;
    QUrl url(QStringLiteral("http://") + route.address);
    url.setPath(path, QUrl::StrictMode);
    QNetworkRequest http(url);
    http.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    http.setRawHeader("Authorization", "Bearer " + route.token);
    http.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                      QNetworkRequest::ManualRedirectPolicy);
    http.setTransferTimeout(kServiceAnswerMs);

    QNetworkAccessManager manager;
    manager.setProxy(QNetworkProxy::NoProxy);
    const std::unique_ptr<QNetworkReply> reply(manager.post(http, request.body));
    QEventLoop loop;
    bool sent = false;
    bool connectTimedOut = false;
    bool cancelled = false;
    QTimer connecting;
    connecting.setSingleShot(true);
    QObject::connect(&connecting, &QTimer::timeout, &loop, [&] {
        connectTimedOut = true;
        reply->abort();
    });
    QTimer watchCancel;
    QObject::connect(&watchCancel, &QTimer::timeout, &loop, [&] {
        if (cancel != nullptr && cancel->load()) {
            cancelled = true;
            reply->abort();
        }
    });
    QObject::connect(reply.get(), &QNetworkReply::requestSent, &loop, [&] {
        sent = true;
        connecting.stop();
    });
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    connecting.start(kServiceConnectMs);
    watchCancel.start(50);
    if (!reply->isFinished()) {
        loop.exec();
    }

    const QString where = QStringLiteral("lumivod at ") + route.address;
    const QNetworkReply::NetworkError error = reply->error();
    const bool refused =
        error == QNetworkReply::ConnectionRefusedError || error == QNetworkReply::HostNotFoundError;
    if (connectTimedOut || (refused && !sent)) {
        ServiceAnswer answer;
        answer.outcome.details =
            (where +
             (connectTimedOut
                  ? QStringLiteral(" did not answer within %1 ms").arg(kServiceConnectMs)
                  : QStringLiteral(" did not answer (") + reply->errorString() + QLatin1Char(')')))
                .toStdString();
        return answer;
    }
    if (cancelled) {
        ServiceAnswer answer = Failed(
            (QStringLiteral("cancelled: the request to ") + where +
             QStringLiteral(" was dropped; lumivod ends the transfer it had begun on its own"))
                .toStdString());
        answer.cancelled = true;
        return answer;
    }
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid()) {
        return Failed((where + QStringLiteral(" ended the connection before it answered: ") +
                       reply->errorString())
                          .toStdString());
    }
    return ReadServiceAnswer(status.toInt(), reply->readAll(), route.signName);
}

std::optional<SignOutcome> SendThroughService(const Sign& sign, const SignCommand& command,
                                              const ServiceRoute& route,
                                              const std::atomic<bool>* cancel,
                                              const link::StepReport& step, std::string& note) {
    SignOutcome end;
    end.sign = sign.name;
    end.started = true;
    const QString owner =
        QStringLiteral("lumivod (process %1) owns the line %2").arg(route.pid).arg(sign.port);
    if (route.signName.isEmpty()) {
        end.outcome = link::Outcome(
            link::BoxKind::Plain,
            (owner + QStringLiteral(" but serves no sign of ID %1 on it, only %2; address one "
                                    "of those, add the sign to its sign list (then SIGHUP it), "
                                    "or stop lumivod")
                         .arg(QString::fromStdString(sign.id),
                              route.signsOnLine.join(QStringLiteral(", "))))
                .toStdString(),
            false);
        return end;
    }
    if (command.service.route.isEmpty()) {
        end.outcome =
            link::Outcome(link::BoxKind::Plain,
                          (owner + QStringLiteral(" and takes no %1; stop lumivod to send it "
                                                  "from here")
                                       .arg(command.service.refusal))
                              .toStdString(),
                          false);
        return end;
    }
    if (step) {
        step("through lumivod");
    }
    ServiceAnswer answer = RunThroughService(route, command.service, cancel);
    if (!answer.reached) {
        note = answer.outcome.details + "; the port was opened directly";
        return std::nullopt;
    }
    end.outcome = std::move(answer.outcome);
    end.cancelled = answer.cancelled;
    end.throughService = true;
    end.serviceNote = "through lumivod at " + route.address.toStdString() + " (its sign \"" +
                      route.signName.toStdString() + "\")";
    return end;
}

void FetchServiceState(const ServiceRoute& route, QObject* context,
                       std::function<void(const QJsonObject& state)> done) {
    QUrl url(QStringLiteral("http://") + route.address);
    url.setPath(QStringLiteral("/api/signs/") +
                    QString::fromLatin1(QUrl::toPercentEncoding(route.signName)),
                QUrl::StrictMode);
    QNetworkRequest http(url);
    http.setRawHeader("Authorization", "Bearer " + route.token);
    http.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                      QNetworkRequest::ManualRedirectPolicy);
    http.setTransferTimeout(kServiceStateMs);
    auto* manager = new QNetworkAccessManager(context);
    manager->setProxy(QNetworkProxy::NoProxy);
    QNetworkReply* reply = manager->get(http);
    // A state larger than the bound is not read on: the reply ends as failed.
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply,
                     [reply](qint64 received, qint64) {
                         if (received > kMaxServiceStateBytes) {
                             reply->abort();
                         }
                     });
    QObject::connect(reply, &QNetworkReply::finished, context,
                     [manager, reply, done = std::move(done)] {
                         QJsonObject state;
                         if (reply->error() == QNetworkReply::NoError) {
                             state = QJsonDocument::fromJson(reply->readAll())
                                         .object()
                                         .value(QStringLiteral("state"))
                                         .toObject();
                         }
                         manager->deleteLater();
                         done(state);
                     });
}

} // namespace lumivo::signs
