# The program's sources by name, one block per folder of src/, in the folders' order
# from the top (see tools/check-layers.sh). Each block adds its files to budget_core;
# BUDGET_SOURCES_<folder> keeps them for targets that build only some folders.
function(budget_sources folder)
  list(TRANSFORM ARGN PREPEND ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/${folder}/ OUTPUT_VARIABLE files)
  set(BUDGET_SOURCES_${folder} ${files} PARENT_SCOPE)
  set_property(GLOBAL APPEND PROPERTY BUDGET_CORE_SOURCES ${files})
endfunction()

# main() is the program's own, outside the library.
set(BUDGET_MAIN ${CMAKE_CURRENT_LIST_DIR}/app/main.cpp)

budget_sources(app
  UtMain.cpp UtMain.h
  UtMainBars.cpp)

budget_sources(reports
  ReportCharts.cpp ReportCharts.h
  ReportNumbers.cpp ReportNumbers.h
  ReportOutput.cpp
  UtReports.cpp UtReports.h)
budget_sources(import
  CsvReader.cpp CsvReader.h
  ImportModel.cpp ImportModel.h
  ImportStore.cpp ImportStore.h
  OfxReader.cpp OfxReader.h
  OfxScan.cpp OfxScan.h
  QifReader.cpp QifReader.h
  Statement.h
  StatementFile.cpp StatementFile.h
  StatementText.cpp StatementText.h
  UtCsvColumns.cpp UtCsvColumns.h
  UtImport.cpp UtImport.h)

budget_sources(history
  HistoryLists.cpp HistoryLists.h
  HistoryRecords.cpp HistoryRecords.h
  UtAccountHistory.cpp UtAccountHistory.h
  UtHistoryQuery.cpp UtHistoryQuery.h)

budget_sources(transactions
  EntryHelpers.cpp EntryHelpers.h
  UtDebit.cpp UtDebit.h
  UtDeposit.cpp UtDeposit.h
  UtTransfer.cpp UtTransfer.h)

budget_sources(accounts
  UtBankAccount.cpp UtBankAccount.h
  UtWallet.cpp UtWallet.h)

budget_sources(lists
  CombinedQuery.cpp CombinedQuery.h
  UtSummary.cpp UtSummary.h
  UtTransactionList.cpp UtTransactionList.h)

budget_sources(export
  DBGridEhExport.cpp DBGridEhExport.h
  DBGridEhExportAsHTML.cpp
  DBGridEhExportAsText.cpp
  DBGridEhExportAsXLS.cpp
  ExportCommand.cpp ExportCommand.h
  GridPageDrawing.cpp
  GridPageLayout.cpp GridPageLayout.h
  PreviewBox.cpp PreviewBox.h
  PreviewFormEh.cpp PreviewFormEh.h
  PrintDBGridEh.cpp PrintDBGridEh.h
  PrintSetupDialog.cpp PrintSetupDialog.h
  VirtualPrinter.cpp VirtualPrinter.h
  Windows1252.cpp Windows1252.h
  preview.qrc)

budget_sources(help
  ChmFile.cpp ChmFile.h
  ChmHelp.cpp ChmHelp.h
  HelpIntfs.h
  HelpManager.cpp HelpManager.h
  HelpWindow.cpp HelpWindow.h
  StoHtmlHelp.cpp StoHtmlHelp.h
  UtAbout.cpp UtAbout.h
  WinHelpViewer.cpp WinHelpViewer.h)

budget_sources(cards
  ScrollBox.cpp ScrollBox.h
  UtCards.cpp UtCards.h)

budget_sources(grid
  DBGridEh.cpp DBGridEh.h
  GridFooter.cpp GridFooter.h
  GridFrozenView.cpp
  GridSort.cpp GridSort.h)

budget_sources(ui
  Application.cpp Application.h
  ErrorReport.cpp ErrorReport.h
  Guarded.h
  HelpContext.cpp HelpContext.h
  HelpIds.h
  Modal.h
  Skin.cpp Skin.h
  WindowParts.cpp WindowParts.h
  ui.qrc)

budget_sources(data
  AppPaths.cpp AppPaths.h
  Errors.cpp Errors.h
  Money.cpp Money.h
  QueryValues.cpp
  Prepared.cpp Prepared.h
  Rounding.h
  ResultStore.cpp ResultStore.h
  RowStream.cpp RowStream.h
  Schema.cpp Schema.h
  SqlDialect.cpp SqlDialect.h
  SqlLike.cpp SqlLike.h
  SqlTokens.cpp SqlTokens.h
  SqlUnions.cpp SqlUnions.h
  UtDM.cpp UtDM.h
  UtFormat.cpp UtFormat.h
  UtQuery.cpp UtQuery.h
  data.qrc)

budget_sources(platform
  Platform.cpp Platform.h
  Printers.cpp Printers.h
  WaitCursor.h)
