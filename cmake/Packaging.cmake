# The installed program: the daily backup tool, the launcher that gives each user a
# folder of their own, the desktop's menu entry, icon, metainfo and man page, and the
# Debian package CPack makes from the install rules (tools/package.sh builds it).
#
# Installed layout: the program and its files in /usr/lib/velmora-budget/, the launcher
# as /usr/bin/velmora-budget, the desktop files under /usr/share.

set(BUDGET_PACKAGE velmora-budget)
# Reverse-DNS from the product's web address, velmora-budget.example.org (a hyphen is
# not allowed in such an id, so it becomes an underscore).
set(BUDGET_APP_ID org.example.velmora_budget)
set(BUDGET_LIBDIR lib/${BUDGET_PACKAGE})

add_executable(budget-backup tools/budget-backup.cpp)
target_link_libraries(budget-backup PRIVATE Qt6::Core SQLite::SQLite3)
add_dependencies(budget budget-backup)
# The program names itself by its desktop entry, so the desktop ties its windows to it.
target_compile_definitions(budget PRIVATE BUDGET_APP_ID="${BUDGET_APP_ID}")

# The launcher, once over the installed program and once over the build folder, where
# the tests start it.
set(BUDGET_LAUNCHER_LIBDIR ${CMAKE_INSTALL_PREFIX}/${BUDGET_LIBDIR})
set(BUDGET_PACKAGE_DIR ${CMAKE_BINARY_DIR}/package)
configure_file(tools/velmora-budget.in ${BUDGET_PACKAGE_DIR}/velmora-budget @ONLY)
configure_file(packaging/velmora-budget.1.in ${BUDGET_PACKAGE_DIR}/velmora-budget.1 @ONLY)
configure_file(packaging/${BUDGET_APP_ID}.metainfo.xml.in
               ${BUDGET_PACKAGE_DIR}/${BUDGET_APP_ID}.metainfo.xml @ONLY)
set(BUDGET_LAUNCHER_LIBDIR ${CMAKE_BINARY_DIR})
configure_file(tools/velmora-budget.in ${CMAKE_BINARY_DIR}/velmora-budget @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE)

# The changelog's newest entry names the version being packaged.
file(STRINGS packaging/changelog BUDGET_CHANGELOG_HEAD LIMIT_COUNT 1)
if(NOT BUDGET_CHANGELOG_HEAD MATCHES "^${BUDGET_PACKAGE} \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog starts with \"${BUDGET_CHANGELOG_HEAD}\"; its "
                      "newest entry must be for version ${PROJECT_VERSION}.")
endif()

# Debian keeps man pages and changelogs compressed, without a time stamp in them.
set(BUDGET_MAN_PAGE ${BUDGET_PACKAGE_DIR}/velmora-budget.1.gz)
set(BUDGET_CHANGELOG ${BUDGET_PACKAGE_DIR}/changelog.gz)
add_custom_command(OUTPUT ${BUDGET_MAN_PAGE}
  COMMAND gzip -9nf -k ${BUDGET_PACKAGE_DIR}/velmora-budget.1
  DEPENDS ${BUDGET_PACKAGE_DIR}/velmora-budget.1 VERBATIM)
add_custom_command(OUTPUT ${BUDGET_CHANGELOG}
  COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/packaging/changelog > ${BUDGET_CHANGELOG}
  DEPENDS ${CMAKE_SOURCE_DIR}/packaging/changelog)
add_custom_target(budget_package_files ALL DEPENDS ${BUDGET_MAN_PAGE} ${BUDGET_CHANGELOG})

install(TARGETS budget budget-newdb budget-backup RUNTIME DESTINATION ${BUDGET_LIBDIR})
install(FILES ${BUDGET_HELP_FILE} DESTINATION ${BUDGET_LIBDIR})
install(DIRECTORY resources/res/ DESTINATION ${BUDGET_LIBDIR}/res)
install(PROGRAMS ${BUDGET_PACKAGE_DIR}/velmora-budget DESTINATION bin)
install(FILES packaging/${BUDGET_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${BUDGET_PACKAGE_DIR}/${BUDGET_APP_ID}.metainfo.xml DESTINATION share/metainfo)
install(FILES resources/icons/velmora-budget.svg DESTINATION share/icons/hicolor/scalable/apps
        RENAME ${BUDGET_APP_ID}.svg)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES resources/icons/velmora-budget-${size}.png
          DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME ${BUDGET_APP_ID}.png)
endforeach()
install(FILES ${BUDGET_MAN_PAGE} DESTINATION share/man/man1)
install(FILES packaging/copyright ${BUDGET_CHANGELOG} DESTINATION share/doc/${BUDGET_PACKAGE})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${BUDGET_PACKAGE})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_PACKAGE_CONTACT "The Velmora Budget authors <support@velmora-budget.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "personal budget of bank accounts, credit cards and wallets")
# Lines short enough for a terminal: the package tools show them as they are.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Velmora Budget keeps bank accounts, credit cards and cash wallets, each with\n"
    "its stored balance, and the deposits, debits and transfers recorded against\n"
    "them. A history window searches, filters, edits, prints and exports every\n"
    "transaction.\n"
    "\n"
    "Each user's budget is one SQLite file in a folder of their own, with a backup\n"
    "taken each day and the newest 14 kept.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://velmora-budget.example.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What no library link names: the toolkit's display plugins, and the face the windows'
# sizes were made for.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
