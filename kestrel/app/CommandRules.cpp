#include "app/CommandRules.h"

const QStringList &classCommands()
{
    static const QStringList names = {
        "pmiElementTypeImport", "mmiElementTypeImport", "pmiPinImport", "mmiPinImport",
        "pmiMultiplePinImport", "mmiMultiplePinImport", "pmiElementTypeList", "mmiElementTypeList",
        "mmiSetPinTypeonName", "mmiVerificationPinsforETinSelectClass",
    };
    return names;
}

namespace {

QList<CommandRule> connectionRules(CommandEvent e)
{
    return {
        {e, {"Connect_ToolButton", "mmiConnect"}, [](const CommandContext &c) { return !c.connected; }},
        {e, {"Disconnect_ToolButton", "mmiDisconnect", "SelectClass_ToolButton", "Import_ToolButton",
             "pmiCaseImport", "mmiCaseImport"},
         [](const CommandContext &c) { return c.connected; }},
        {e, QStringList{"CreatePattern_ToolButton"} + classCommands(),
         [](const CommandContext &c) { return c.connected && c.classSelected; }},
    };
}

QList<CommandRule> buildRules()
{
    QList<CommandRule> rules = connectionRules(CommandEvent::Connect) + connectionRules(CommandEvent::Disconnect);
    rules += {
        {CommandEvent::ClassSelected, QStringList{"CreatePattern_ToolButton"} + classCommands(),
         [](const CommandContext &) { return true; }},
        {CommandEvent::ImportRunEnd, QStringList{"CreatePattern_ToolButton", "Import_ToolButton"} + classCommands(),
         [](const CommandContext &) { return false; }},
        {CommandEvent::ToolModeChanged, {"Replace_ToolButton", "AddFunc_ToolButton"},
         [](const CommandContext &c) { return !c.toolMode; }},
        {CommandEvent::GridSelectionChanged, {"pmiEditAsBaseParam"},
         [](const CommandContext &c) { return c.column >= 5 && c.row == 0; }},
        {CommandEvent::GridSelectionChanged, {"pmiEditAsParam", "pmiGroupSV"},
         [](const CommandContext &c) { return c.column >= 5 && c.row >= 1; }},
    };
    return rules;
}

} // namespace

const QList<CommandRule> &commandRules()
{
    static const QList<CommandRule> rules = buildRules();
    return rules;
}

QList<QPair<QString, bool>> commandStates(CommandEvent event, const CommandContext &ctx)
{
    QList<QPair<QString, bool>> out;
    for (const CommandRule &rule : commandRules()) {
        if (rule.event != event)
            continue;
        const bool on = rule.enabled(ctx);
        for (const QString &name : rule.commands)
            out.append({name, on});
    }
    return out;
}
