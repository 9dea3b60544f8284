#include "ScriptedDialogs.h"

ScriptedDialogs::ScriptedDialogs()
{
    tk::SetDialogService(this);
}

ScriptedDialogs::~ScriptedDialogs()
{
    tk::SetDialogService(nullptr);
}

ScriptedDialogs& ScriptedDialogs::Expect(const QString& text, int answer, std::function<void()> whileOpen)
{
    queue_.push_back({text, answer, std::move(whileOpen)});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::ExpectStartingWith(const QString& prefix, int answer)
{
    queue_.push_back({prefix, answer, {}, true});
    return *this;
}

int ScriptedDialogs::Show(const tk::BoxRequest& request)
{
    shown_.push_back(request);
    if (queue_.empty()) {
        failures_ << QStringLiteral("unexpected box: ") + request.text;
        return tk::IDOK;
    }
    Answer answer = std::move(queue_.front());
    queue_.pop_front();
    if (answer.prefix ? !request.text.startsWith(answer.text) : answer.text != request.text)
        failures_ << QStringLiteral("expected box \"%1\", shown \"%2\"").arg(answer.text, request.text);
    if (answer.whileOpen)
        answer.whileOpen();
    return answer.code;
}

QStringList ScriptedDialogs::ShownTexts() const
{
    QStringList texts;
    for (const auto& request : shown_)
        texts << request.text;
    return texts;
}

QStringList ScriptedDialogs::Failures() const
{
    QStringList all = failures_;
    for (const auto& answer : queue_)
        all << QStringLiteral("expected box never shown: ") + answer.text;
    return all;
}

void ScriptedDialogs::Clear()
{
    queue_.clear();
    shown_.clear();
    failures_.clear();
}
