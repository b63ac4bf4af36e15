// The web page in a real browser: lumivod with two virtual signs in a group, Debian's chromium
// headless driven over its DevTools protocol. Logs in with the token (after a wrong one), writes
// a line with two tag buttons and the keyboard, sends it to the group with Enter and checks both
// signs took the page once and the page shows each sign's outcome.

#include "support/sign_process.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebSocket>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace {

using lumivo::test::SignProcess;

std::string FileText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

int Occurrences(const std::string& text, const std::string& piece) {
    int count = 0;
    for (std::size_t at = text.find(piece); at != std::string::npos;
         at = text.find(piece, at + 1)) {
        ++count;
    }
    return count;
}

void Wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// One page of the browser over the DevTools protocol: commands answered in order of their ids.
class DevToolsPage {
public:
    bool open(const QUrl& url) {
        QEventLoop loop;
        QObject::connect(&m_socket, &QWebSocket::connected, &loop, &QEventLoop::quit);
        QObject::connect(
            &m_socket, &QWebSocket::textMessageReceived, [this](const QString& message) {
                const QJsonObject reply = QJsonDocument::fromJson(message.toUtf8()).object();
                if (reply.contains(QStringLiteral("id"))) {
                    m_replies[reply.value(QStringLiteral("id")).toInt()] = reply;
                }
            });
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        m_socket.open(url);
        loop.exec();
        return m_socket.state() == QAbstractSocket::ConnectedState;
    }

    QJsonObject call(const QString& method, const QJsonObject& params = {}) {
        const int id = m_next++;
        m_socket.sendTextMessage(
            QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("id"), id},
                                                        {QStringLiteral("method"), method},
                                                        {QStringLiteral("params"), params}})
                                  .toJson(QJsonDocument::Compact)));
        QElapsedTimer timer;
        timer.start();
        while (m_replies.count(id) == 0 && timer.elapsed() < 20000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        const QJsonObject reply = m_replies[id];
        m_replies.erase(id);
        return reply.value(QStringLiteral("result")).toObject();
    }

    // The value of a script run in the page, a promise awaited.
    QJsonValue evaluate(const QString& expression) {
        const QJsonObject result =
            call(QStringLiteral("Runtime.evaluate"), {{QStringLiteral("expression"), expression},
                                                      {QStringLiteral("awaitPromise"), true},
                                                      {QStringLiteral("returnByValue"), true}});
        return result.value(QStringLiteral("result")).toObject().value(QStringLiteral("value"));
    }

    // Whether the script came true within `ms`, asked every 5 ms.
    bool waitFor(const QString& expression, int ms = 10000) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ms) {
            if (evaluate(expression).toBool()) {
                return true;
            }
            Wait(5);
        }
        return false;
    }

    void typeText(const QString& text) {
        call(QStringLiteral("Input.insertText"), {{QStringLiteral("text"), text}});
    }

    void pressEnter() {
        for (const char* type : {"keyDown", "keyUp"}) {
            QJsonObject key{{QStringLiteral("type"), QString::fromLatin1(type)},
                            {QStringLiteral("key"), QStringLiteral("Enter")},
                            {QStringLiteral("code"), QStringLiteral("Enter")},
                            {QStringLiteral("windowsVirtualKeyCode"), 13}};
            if (std::string_view(type) == "keyDown") {
                key.insert(QStringLiteral("text"), QStringLiteral("\r"));
            }
            call(QStringLiteral("Input.dispatchKeyEvent"), key);
        }
    }

    // Saves the page at that size as a PNG.
    void screenshot(int width, int height, const QString& file) {
        call(QStringLiteral("Emulation.setDeviceMetricsOverride"),
             {{QStringLiteral("width"), width},
              {QStringLiteral("height"), height},
              {QStringLiteral("deviceScaleFactor"), 1},
              {QStringLiteral("mobile"), width < 600}});
        Wait(300);
        const QJsonObject shot = call(QStringLiteral("Page.captureScreenshot"),
                                      {{QStringLiteral("format"), QStringLiteral("png")}});
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly)) << file.toStdString();
        out.write(QByteArray::fromBase64(shot.value(QStringLiteral("data")).toString().toLatin1()));
    }

private:
    QWebSocket m_socket;
    int m_next = 1;
    std::map<int, QJsonObject> m_replies;
};

// The websocket address of the browser's first page, from its DevTools HTTP list.
QUrl FirstPageAddress(quint16 port) {
    QNetworkAccessManager manager;
    QNetworkReply* reply = manager.get(
        QNetworkRequest(QUrl(QStringLiteral("http://127.0.0.1:%1/json/list").arg(port))));
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    for (const QJsonValue target : QJsonDocument::fromJson(reply->readAll()).array()) {
        if (target[QStringLiteral("type")].toString() == QStringLiteral("page")) {
            return QUrl(target[QStringLiteral("webSocketDebuggerUrl")].toString());
        }
    }
    reply->deleteLater();
    return {};
}

TEST(WebPage, LogsInWritesALineWithTagButtonsAndSendsItToAGroup) {
    const QString chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
    if (chromium.isEmpty()) {
        GTEST_SKIP() << "chromium is not installed (Debian package chromium): the page is not "
                        "tried in a browser";
    }
    static int argc = 1;
    static char name[] = "web_page_tests";
    static char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);

    QTemporaryDir home;
    const std::string dir = home.path().toStdString();
    SignProcess front({"--listen", "127.0.0.1:0", "--log", dir + "/front.log"});
    SignProcess back({"--listen", "127.0.0.1:0", "--id", "02", "--log", dir + "/back.log"});
    const auto portOf = [](const std::string& line) { return line.substr(line.rfind(':') + 1); };
    std::ofstream(dir + "/lumivo.INI")
        << "[Sign Front]\nPort=tcp://127.0.0.1:" << portOf(front.firstLine())
        << "\nID=01\nGroups=shop\n\n[Sign Back]\nPort=tcp://127.0.0.1:" << portOf(back.firstLine())
        << "\nID=02\nGroups=shop\n";
    ::setenv("LUMIVO_HOME", dir.c_str(), 1);
    SignProcess service({"--listen", "127.0.0.1:0"}, LUMIVOD_PATH);
    const std::string listening = service.firstLine();
    ASSERT_EQ(listening.rfind("listening on 127.0.0.1:", 0), 0u) << listening;
    const QString token = QString::fromStdString(FileText(dir + "/lumivod.token")).trimmed();

    QProcess browser;
    browser.setReadChannel(QProcess::StandardError);
    browser.start(chromium,
                  {QStringLiteral("--headless"), QStringLiteral("--no-sandbox"),
                   QStringLiteral("--disable-gpu"), QStringLiteral("--no-first-run"),
                   QStringLiteral("--remote-debugging-port=0"),
                   QStringLiteral("--user-data-dir=") + home.path() + QStringLiteral("/browser"),
                   QStringLiteral("about:blank")});
    QString said;
    QRegularExpressionMatch listeningOn;
    QElapsedTimer started;
    started.start();
    while (!listeningOn.hasMatch() && started.elapsed() < 20000) {
        browser.waitForReadyRead(200);
        said += QString::fromUtf8(browser.readAllStandardError());
        listeningOn =
            QRegularExpression(QStringLiteral("ws://127\\.0\\.0\\.1:(\\d+)/")).match(said);
    }
    ASSERT_TRUE(listeningOn.hasMatch()) << said.toStdString();
    DevToolsPage page;
    ASSERT_TRUE(page.open(FirstPageAddress(listeningOn.captured(1).toUShort())));

    page.call(
        QStringLiteral("Page.navigate"),
        {{QStringLiteral("url"),
          QStringLiteral("http://127.0.0.1:%1/").arg(QString::fromStdString(portOf(listening)))}});
    ASSERT_TRUE(page.waitFor(QStringLiteral(
        "document.readyState === 'complete' && document.activeElement.id === 'token'")));
    EXPECT_EQ(page.evaluate(QStringLiteral("document.getElementById('token').type")).toString(),
              QStringLiteral("password"));

    // A wrong token keeps the page at the login; the right one opens it, kept for the tab.
    page.typeText(QStringLiteral("not-the-token"));
    page.pressEnter();
    ASSERT_TRUE(page.waitFor(QStringLiteral(
        "document.getElementById('login-error').textContent.includes('not accepted')")));
    EXPECT_TRUE(page.evaluate(QStringLiteral("document.getElementById('app').hidden")).toBool());
    page.typeText(token);
    page.pressEnter();
    ASSERT_TRUE(page.waitFor(QStringLiteral("!document.getElementById('app').hidden && "
                                            "document.querySelectorAll('#tags button').length > 50 "
                                            "&& document.activeElement.id === 'line'")));
    EXPECT_EQ(page.evaluate(QStringLiteral("sessionStorage.getItem('lumivo-token')")).toString(),
              token);
    EXPECT_EQ(page.evaluate(QStringLiteral("location.href.includes(sessionStorage.getItem("
                                           "'lumivo-token'))"))
                  .toBool(),
              false);

    // Two tag buttons, each inserted where the cursor is, around typed text.
    page.evaluate(QStringLiteral("const t = document.getElementById('target'); t.value = "
                                 "'group:shop'; t.dispatchEvent(new Event('change')); true"));
    const auto pressTag = [&](const char* tag) {
        page.evaluate(QStringLiteral("[...document.querySelectorAll('#tags button')].find(b => "
                                     "b.textContent === '%1').click()")
                          .arg(QString::fromLatin1(tag)));
    };
    page.evaluate(QStringLiteral("document.getElementById('line').focus()"));
    pressTag("<snow>");
    page.typeText(QStringLiteral("Sale "));
    pressTag("<Green>");
    page.typeText(QStringLiteral("today"));
    EXPECT_EQ(page.evaluate(QStringLiteral("document.getElementById('line').value"))
                  .toString()
                  .toStdString(),
              "<snow>Sale <Green>today");
    EXPECT_TRUE(page.waitFor(
        QStringLiteral("document.getElementById('count').textContent === 'Length 23 of 210' && "
                       "document.getElementById('preview').src.startsWith('blob:') && "
                       "document.getElementById('preview').naturalWidth > 0")));

    page.pressEnter();
    ASSERT_TRUE(page.waitFor(QStringLiteral("document.getElementById('outcome').textContent."
                                            "includes('2 of 2 signs took page A')")))
        << page.evaluate(QStringLiteral("document.getElementById('outcome').textContent"))
               .toString()
               .toStdString();
    const QString outcome =
        page.evaluate(QStringLiteral("document.getElementById('outcome').textContent")).toString();
    EXPECT_TRUE(outcome.contains(QStringLiteral("Front:"))) << outcome.toStdString();
    EXPECT_TRUE(outcome.contains(QStringLiteral("Back:"))) << outcome.toStdString();
    const int elapsed =
        page.evaluate(QStringLiteral("+document.getElementById('outcome').dataset.elapsedMs"))
            .toInt();
    const int lineTime =
        page.evaluate(QStringLiteral("+document.getElementById('outcome').dataset.lineMs")).toInt();
    std::printf("send to outcome shown: %d ms, the line's own time %d ms, beyond it %d ms\n",
                elapsed, lineTime, elapsed - lineTime);

    // Each virtual sign took the page once.
    for (const std::string& log : {dir + "/front.log", dir + "/back.log"}) {
        EXPECT_EQ(Occurrences(FileText(log), "Sale "), 1) << log << ":\n" << FileText(log);
    }
    // The signs' pictures are drawn again from what was sent.
    EXPECT_TRUE(page.waitFor(QStringLiteral(
        "[...document.querySelectorAll('#signs img')].filter(i => i.src.startsWith('blob:'))"
        ".length === 2")));

    if (const char* shots = std::getenv("LUMIVO_WEB_SHOTS")) {
        page.screenshot(390, 844, QString::fromLocal8Bit(shots) + QStringLiteral("/web-390.png"));
        page.screenshot(1280, 900, QString::fromLocal8Bit(shots) + QStringLiteral("/web-1280.png"));
    }
    browser.kill();
    browser.waitForFinished(5000);
}

} // namespace
