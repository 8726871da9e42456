# Device attachment, modes and equalizer of the main window.
voxbench_add_test(window_interface_name
    SOURCES tst_interfacename.cpp
    LIBS voxbench_platform)
voxbench_add_window_test(window_attachment SOURCES tst_attachment.cpp AttachmentSupport.h TIMEOUT 120)
voxbench_add_window_test(window_modes SOURCES tst_modes.cpp AttachmentSupport.h TIMEOUT 180)
# The open of the HID library is wrapped, so that the test can make it fail.
voxbench_add_window_test(window_open_retry SOURCES tst_openretry.cpp AttachmentSupport.h TIMEOUT 120)
target_link_options(window_open_retry PRIVATE "LINKER:--wrap=hid_open_path")
