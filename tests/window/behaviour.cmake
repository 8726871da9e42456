# Tabs and Mic ENC, spectrum, speaker test and tray of the main window.
voxbench_add_test(window_spectrum_smoother
    SOURCES tst_levelsmoother.cpp ${CMAKE_SOURCE_DIR}/window/SpectrumSmoother.cpp
    LIBS Qt5::Core)
voxbench_add_test(window_sequencer
    SOURCES tst_sequencer.cpp ${CMAKE_SOURCE_DIR}/window/MyThread_Two.cpp ${CMAKE_SOURCE_DIR}/window/MyThread_Two.h
    LIBS Qt5::Core)
voxbench_add_window_test(window_tabs SOURCES tst_tabs.cpp BehaviourSupport.h TIMEOUT 120)
voxbench_add_window_test(window_speaker_test SOURCES tst_speakertest.cpp BehaviourSupport.h TIMEOUT 120)
voxbench_add_window_test(window_tray SOURCES tst_tray.cpp BehaviourSupport.h TIMEOUT 120)
