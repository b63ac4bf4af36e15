// MQTT topics and payloads, the names in topic levels and the queue of a busy sign: every case of
// tests/data/service/mqtt_cases.tsv, without a broker.

#include "core/test_support.h"
#include "service/command_queue.h"
#include "service/mqtt_topics.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace lumivo::service {
namespace {

using lumivo::test::Split;

QByteArray Bytes(const std::string& field) {
    if (field == "-") {
        return {};
    }
    if (field.size() > 1 && field[0] == '@') {
        return QByteArray(std::stoi(field.substr(1)), 'x');
    }
    return QByteArray::fromStdString(test::Unescape(field));
}

std::string Message(const QByteArray& topic, const QByteArray& payload) {
    const auto read = ReadCommandMessage(topic, payload);
    if (!read) {
        return "ignored";
    }
    if (const auto* refused = std::get_if<Refusal>(&*read)) {
        return "refused " + refused->field.toStdString();
    }
    const auto& command = std::get<TopicCommand>(*read);
    const QByteArray body = command.body.size() > 1000
                                ? "@" + QByteArray::number(command.body.size() - 11)
                                : command.body;
    return (command.target + QStringLiteral(" | ") + command.action + QStringLiteral(" | ") +
            QString::fromUtf8(body) + QStringLiteral(" | ") + command.slot)
        .toStdString();
}

std::string Queue(std::size_t bound, const std::string& ops) {
    CommandQueue queue(bound);
    std::vector<std::string> answers;
    for (const std::string& op : Split(ops, " ; ")) {
        std::istringstream words(op);
        std::string first, second, third;
        words >> first >> second >> third;
        if (first == "end") {
            const auto next = queue.ended(QString::fromStdString(second));
            answers.push_back(next ? "next " + next->origin.toStdString() : "idle");
            continue;
        }
        std::optional<QueuedCommand> dropped;
        QueuedCommand command{QString::fromStdString(first),
                              {},
                              {},
                              QString::fromStdString(second),
                              QString::fromStdString(third)};
        switch (queue.offer(command, dropped)) {
        case CommandQueue::Offer::Start:
            answers.push_back("start");
            break;
        case CommandQueue::Offer::Queued:
            answers.push_back("queued");
            break;
        case CommandQueue::Offer::Replaced:
            answers.push_back("replaced " + dropped->origin.toStdString());
            break;
        case CommandQueue::Offer::Refused:
            answers.push_back("refused");
            break;
        }
    }
    std::string joined;
    for (const std::string& answer : answers) {
        joined += (joined.empty() ? "" : " ; ") + answer;
    }
    return joined;
}

TEST(Mqtt, TopicsPayloadsAndTheQueueOfABusySign) {
    test::ForEachCase("service/mqtt_cases.tsv", 4, [](const test::CaseRow& row) {
        const std::string& kind = row.fields[0];
        const std::string& expected = row.fields[3];
        if (kind == "level") {
            const QString level = QString::fromUtf8(Bytes(row.fields[2]));
            if (expected == "both") {
                const QString name = QString::fromUtf8(Bytes(row.fields[1]));
                EXPECT_EQ(TopicLevel(name).toStdString(), level.toStdString());
                EXPECT_EQ(NameOfLevel(level).value_or(QStringLiteral("(none)")).toStdString(),
                          name.toStdString());
            } else {
                EXPECT_EQ(NameOfLevel(level).value_or(QStringLiteral("(none)")).toStdString(),
                          "(none)");
            }
        } else if (kind == "message") {
            EXPECT_EQ(Message(Bytes(row.fields[1]), Bytes(row.fields[2])), expected);
        } else if (kind == "queue") {
            EXPECT_EQ(Queue(std::stoul(row.fields[1]), row.fields[2]), expected);
        } else {
            ADD_FAILURE() << "unknown kind " << kind;
        }
    });
}

} // namespace
} // namespace lumivo::service
