# The status board's part of the package: its settings example, the database account's
# grants, the systemd unit (installed, not enabled) and the manual page.
install(FILES board-grants.sql DESTINATION ${ZEL_DATA_DIR})

# The board's least privileges against the private server (scripts/db start).
if(TARGET board_db_tests)
  add_test(NAME package.board_grants
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/test-board-grants.sh ${CMAKE_CURRENT_SOURCE_DIR}/board-grants.sql
            $<TARGET_FILE:board_db_tests> ${CMAKE_BINARY_DIR}/db/client.cnf
            ${CMAKE_SOURCE_DIR}/build/db/client.cnf)
  set_tests_properties(package.board_grants PROPERTIES
    LABELS "package;db" RESOURCE_LOCK zeldb SKIP_RETURN_CODE 77 TIMEOUT 60)
endif()
