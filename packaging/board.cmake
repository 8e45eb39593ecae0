# The status board's part of the package: its settings example, the database account's
# grants, the systemd unit (installed, not enabled) and the manual page.
set(ZEL_BOARD_MAN ${CMAKE_CURRENT_BINARY_DIR}/zelagent-board.1.gz)
add_custom_command(OUTPUT ${ZEL_BOARD_MAN}
  COMMAND gzip -9 -n -c ${CMAKE_SOURCE_DIR}/docs/man/zelagent-board.1 > ${ZEL_BOARD_MAN}
  DEPENDS ${CMAKE_SOURCE_DIR}/docs/man/zelagent-board.1 VERBATIM)
add_custom_target(zel_board_package_files ALL DEPENDS ${ZEL_BOARD_MAN})

install(FILES ${ZEL_BOARD_MAN} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES board-grants.sql board.conf.example DESTINATION ${ZEL_DATA_DIR})
# Debian 12's systemd looks for units of packages under /lib/systemd/system.
install(FILES zelagent-board.service DESTINATION /lib/systemd/system)

# The board's least privileges against the private server (scripts/db start).
if(TARGET board_db_tests)
  add_test(NAME package.board_grants
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/test-board-grants.sh ${CMAKE_CURRENT_SOURCE_DIR}/board-grants.sql
            $<TARGET_FILE:board_db_tests> ${CMAKE_BINARY_DIR}/db/client.cnf
            ${CMAKE_SOURCE_DIR}/build/db/client.cnf)
  set_tests_properties(package.board_grants PROPERTIES
    LABELS "package;db" RESOURCE_LOCK zeldb SKIP_RETURN_CODE 77 TIMEOUT 60)
endif()
