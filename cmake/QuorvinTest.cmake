# quorvin_add_test(<name> SOURCES <files...> LIBS <targets...> [ENV <VAR=value...>])
# One QtTest executable per area, registered with CTest under the same name. Widgets run headless.
# Names read <area>_<what>, lower case: the area is the folder under tests/ without a suffix (datastore, devices,
# frame, network, shellkit, startup ...), so `ctest -R '^network_'` runs an area.
# Every test executable also joins the target quorvin_tests, so a build can be limited to what CTest runs.
if(NOT TARGET quorvin_tests)
    add_custom_target(quorvin_tests)
endif()

function(quorvin_add_test name)
    if(NOT name MATCHES "^[a-z]+_[a-z0-9_]+$")
        message(FATAL_ERROR "quorvin_add_test: '${name}' does not read <area>_<what> in lower case")
    endif()
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;ENV" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    add_dependencies(quorvin_tests ${name})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt5::Test)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
    # The QTRY_* checks without a ceiling of their own wait up to tens of seconds (support/TryCeiling.h).
    target_compile_options(${name} PRIVATE -include ${PROJECT_SOURCE_DIR}/tests/support/TryCeiling.h)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_FONT_DPI=96;${ARG_ENV}"
        TIMEOUT 300)
endfunction()
