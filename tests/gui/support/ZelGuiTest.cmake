# zel_add_gui_test(<name> <sources>... [LIBS <libraries>...])
# Builds a GUI test binary linked with zel_gui_test_support (its own main) and the
# given libraries, and registers it with CTest to run under `xvfb-run -a` with the
# label gui. GUI binaries need a display even to list their tests, hence add_test
# rather than gtest_discover_tests. The plain GTK input method is set, so an installed
# input method (ibus) never takes the keys; tests/ime runs a real one.
include_guard(GLOBAL)

function(zel_add_gui_test name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE zel_gui_test_support ${ARG_LIBS})
  add_test(NAME ${name}
    COMMAND xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96 -noreset"
            $<TARGET_FILE:${name}> --gtest_color=no)
  set_tests_properties(${name} PROPERTIES LABELS gui TIMEOUT 300
    ENVIRONMENT "GDK_BACKEND=x11;NO_AT_BRIDGE=1;GTK_THEME=Adwaita;GTK_IM_MODULE=gtk-im-context-simple")
endfunction()
