#pragma once

#include "cli/CliOptions.h"

#include <QString>
#include <functional>
#include <optional>

// Where the run's password comes from. A password on the command line is readable by every user
// of the computer in the process list, so there are two quieter ways, and a prompt.

// The password that the command line or the environment gives, first found wins: --password,
// the first line of --password-file ("-" reads standard input), the environment variable
// QUORVANE_PASSWORD. nullopt when none of them gives one, and also when the file cannot be read,
// in which case strError says why. QUORVANE_PASSWORD is removed from the environment, so that no
// program that the run starts sees it.
std::optional<QString> PasswordFromOptions(const CliOptions& options, QString& strError);

// Asks the user for the password; nullopt when nobody can be asked.
using PasswordPromptFn = std::function<std::optional<QString>()>;

// The password of the run: strGiven when the command line or the environment gave one (an empty
// one too), else the profile's remembered strProfile; when that is empty as well, what prompt
// answers.
QString RunPassword(const std::optional<QString>& strGiven, const QString& strProfile, const PasswordPromptFn& prompt);

// The first line of strFile without its line end, read as UTF-8.
std::optional<QString> ReadPasswordFile(const QString& strFile, QString& strError);

// Writes "Password: " to descriptor intOutput, reads one line from the terminal intInput with its
// echo off, restores the terminal and ends the prompt's line. nullopt when intInput is no terminal
// or the input ends before a line.
std::optional<QString> PromptPassword(int intInput, int intOutput);
