#pragma once

// The help topics' context numbers. The names are the help project's own ([ALIAS] in
// resources/help/budget.hhp), so a window and its page are found by one name; the build
// writes the project's [MAP] from the lines below, so each stays "constexpr int NAME =
// number;".
namespace HelpIds {
constexpr int IDH_MAIN_WINDOW = 1000;
constexpr int IDH_ACCOUNT_EDITOR = 1007;
constexpr int IDH_WALLET_EDITOR = 1008;
constexpr int IDH_DEPOSIT = 1009;
constexpr int IDH_DEBIT = 1010;
constexpr int IDH_TRANSFER = 1011;
constexpr int IDH_HISTORY = 1012;
constexpr int IDH_IMPORT = 1013;
constexpr int IDH_REPORTS = 1014;
} // namespace HelpIds
