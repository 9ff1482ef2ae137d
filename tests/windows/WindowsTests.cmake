# The tests that run under wine: those of the pure libraries (core, net, pinyin, scoring and
# console models), from their own folders' sources, and the Windows seams' test. The tests
# that make FIFOs (POSIX only) and read freedesktop launchers have their Windows
# counterparts in tst_WindowsFiles. Not here: test_settings (on Windows the settings live in
# the registry, not in the file it checks) and test_listorder (wine's CompareStringEx has
# no Chinese pinyin order; Windows has).
set(dir ${CMAKE_CURRENT_SOURCE_DIR})
corvanta_add_test(test_textcodec SOURCES ${dir}/core/tst_TextCodec.cpp LIBS corvanta_core)
corvanta_add_test(test_wire SOURCES ${dir}/core/tst_Wire.cpp LIBS corvanta_net_protocol)
corvanta_add_test(test_appconfig SOURCES ${dir}/core/tst_AppConfig.cpp LIBS corvanta_core)
target_compile_definitions(test_appconfig PRIVATE
  CORVANTA_SERVER_BASE="${CORVANTA_SERVER_BASE}" CORVANTA_VENDOR_BASE="${CORVANTA_VENDOR_BASE}"
  CORVANTA_CONTACT_ADDRESS="${CORVANTA_CONTACT_ADDRESS}")
corvanta_add_test(test_result SOURCES ${dir}/core/tst_Result.cpp LIBS corvanta_core)
corvanta_add_test(test_pagewire SOURCES ${dir}/net/tst_PageWire.cpp LIBS corvanta_net_protocol)
corvanta_add_test(test_pinyin SOURCES ${dir}/pinyin/tst_PinYinLeader.cpp LIBS corvanta_pinyin)
corvanta_add_test(test_scoreline SOURCES ${dir}/scoring/tst_ScoreLine.cpp LIBS corvanta_scoring_model)
corvanta_add_test(test_groupstats SOURCES ${dir}/scoring/tst_GroupStats.cpp LIBS corvanta_scoring_model)
corvanta_add_test(test_scorecorrection SOURCES ${dir}/scoring/tst_ScoreCorrection.cpp LIBS corvanta_scoring_model)
corvanta_add_test(test_console_steps SOURCES ${dir}/console/tst_ConsoleSteps.cpp LIBS corvanta_console_model)
corvanta_add_test(test_windows_files SOURCES ${dir}/windows/tst_WindowsFiles.cpp LIBS corvanta_console_model ole32 uuid shlwapi)
# Driven from Linux by tests/e2e/tst_WineEndToEnd.cpp (skips itself when run alone).
corvanta_add_test(test_wine_driver SOURCES ${dir}/windows/tst_WineDriver.cpp LIBS corvanta_app)
