#pragma once
// Which commands are enabled when: the one table of the program. Each event
// names the commands it changes and the condition that gives their new state;
// commands no event names keep their state from start.

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

enum class CommandEvent {
    Connect,              // the Connect command ended, successful or not
    Disconnect,           // the connection was closed by the Disconnect command
    ClassSelected,        // Select Class confirmed with a class
    ImportRunEnd,         // an element type import run ended
    ToolModeChanged,      // the table/log page switched
    GridSelectionChanged, // the active cell of the grid moved
};

struct CommandContext {
    bool connected = false;     // catalogue connection open
    bool classSelected = false; // FSelectClass
    bool toolMode = false;      // true: log page shown
    int column = 0;             // active cell, counted from 0
    int row = 0;
};

using CommandCondition = bool (*)(const CommandContext &);

struct CommandRule {
    CommandEvent event;
    QStringList commands;
    CommandCondition enabled;
};

// The ten commands that need a connection and a selected class.
const QStringList &classCommands();

const QList<CommandRule> &commandRules();

// The commands that `event` changes, in table order, with their new state.
QList<QPair<QString, bool>> commandStates(CommandEvent event, const CommandContext &ctx);
