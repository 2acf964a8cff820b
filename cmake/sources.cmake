# The program's sources, folder by folder. Each folder's logic goes into
# fennick_core, which links Qt Core only; its window and dialog files (the only
# ones that may include QtWidgets) and the code that talks to the X server go
# into fennick_gui. Which folder may include which is checked by the test
# "include_directions" against the table in the README.

set(FENNICK_COMMON_SOURCES
    common/error_text.cpp common/error_text.h
    common/escaped_text.cpp common/escaped_text.h
    common/message_text.cpp common/message_text.h
    common/path_text.h
    common/result.h
    common/run_mode.h)

set(FENNICK_FILES_SOURCES
    files/app_folder.h files/app_folder_linux.cpp
    files/atomic_write.cpp files/atomic_write.h
    files/file_search.h files/file_search_linux.cpp
    files/ini_file.cpp files/ini_file.h
    files/job_list.cpp files/job_list.h
    files/job_list_reader.cpp files/job_list_reader.h
    files/ordinary_file.cpp files/ordinary_file.h
    files/replacement_file.cpp files/replacement_file.h
    files/run_log_file.cpp files/run_log_file.h
    files/settings.cpp files/settings.h
    files/text_codec.cpp files/text_codec.h
    files/text_line_reader.cpp files/text_line_reader.h
    files/wildcard.cpp files/wildcard.h)

set(FENNICK_PLATFORM_SOURCES
    platform/desktop_session.cpp platform/desktop_session.h
    platform/file_dialogs.h
    platform/gui_thread_prompter.cpp platform/gui_thread_prompter.h
    platform/pickers.cpp platform/pickers.h
    platform/program_starter.cpp platform/program_starter.h
    platform/prompter.h
    platform/registry.h platform/registry_linux.cpp
    platform/terminal_prompter.cpp platform/terminal_prompter.h)
set(FENNICK_PLATFORM_GUI_SOURCES
    platform/designed_layout_widget.cpp platform/designed_layout_widget.h
    platform/desktop_session_x11.cpp
    platform/picker_dialog.cpp platform/picker_dialog.h
    platform/prompter_dialog.cpp platform/prompter_dialog.h)

set(FENNICK_COPIER_SOURCES
    copier/content_hash.cpp copier/content_hash.h
    copier/copy_data.h copier/copy_data_linux.cpp
    copier/copy_progress.h
    copier/file_copy_linux.cpp
    copier/file_delete_linux.cpp
    copier/file_descriptor.h
    copier/file_metadata.h copier/file_metadata_linux.cpp
    copier/file_move_linux.cpp
    copier/file_operations.h
    copier/file_paths.h copier/file_paths_linux.cpp
    copier/gio_trash.h copier/gio_trash_linux.cpp
    copier/move_batch.h copier/move_batch_linux.cpp
    copier/target_guard.h
    copier/temporary_file.h copier/temporary_file_linux.cpp
    copier/trash.h copier/trash_linux.cpp
    copier/trash_place.h copier/trash_place_linux.cpp
    copier/verified_copy.h copier/verified_copy_linux.cpp)

set(FENNICK_RUNNER_SOURCES
    runner/dry_run.cpp runner/dry_run.h
    runner/execute_job.cpp runner/execute_job.h
    runner/job_runner.cpp runner/job_runner.h
    runner/run_checks.cpp runner/run_checks.h
    runner/run_log.cpp runner/run_log.h
    runner/run_monitor.cpp runner/run_monitor.h
    runner/run_on_worker.cpp runner/run_on_worker.h
    runner/run_progress.h
    runner/run_settings.cpp runner/run_settings.h
    runner/run_targets.cpp runner/run_targets.h)

set(FENNICK_EDITING_SOURCES
    editing/destination_folder.cpp editing/destination_folder.h
    editing/dropped_files.cpp editing/dropped_files.h
    editing/save_job.cpp editing/save_job.h)
set(FENNICK_EDITING_GUI_SOURCES
    editing/file_list_widget.cpp editing/file_list_widget.h)

set(FENNICK_SHELL_SOURCES
    shell/desktop_folder.h shell/desktop_folder_linux.cpp
    shell/desktop_shortcut.cpp shell/desktop_shortcut.h
    shell/environment_expansion.cpp shell/environment_expansion.h
    shell/launcher.cpp shell/launcher.h
    shell/shell_link.cpp shell/shell_link.h
    shell/shortcut_files.cpp shell/shortcut_files.h
    shell/shortcut_writer.h shell/shortcut_writer_linux.cpp)

set(FENNICK_ABOUT_SOURCES
    about/system_info.cpp about/system_info.h)
set(FENNICK_ABOUT_GUI_SOURCES
    about/about_dialog.cpp about/about_dialog.h)

set(FENNICK_APP_SOURCES
    app/command_line_help.cpp app/command_line_help.h
    app/display_start.h
    app/dry_run_start.cpp app/dry_run_start.h
    app/interactive_start.cpp app/interactive_start.h
    app/launch_decision.cpp app/launch_decision.h
    app/profile_loader.cpp app/profile_loader.h
    app/run_tally.cpp app/run_tally.h
    app/startup.cpp app/startup.h
    app/status_line_prompter.h
    app/status_line_text.cpp app/status_line_text.h
    app/terminal_status.cpp app/terminal_status.h)
set(FENNICK_APP_GUI_SOURCES
    app/accessibility_widget.cpp app/accessibility_widget.h
    app/busy_window.cpp app/busy_window.h
    app/main_window.cpp app/main_window.h
    app/run_progress_dialog.cpp app/run_progress_dialog.h)

set(FENNICK_CORE_SOURCES)
set(FENNICK_GUI_SOURCES)
foreach(layer COMMON FILES PLATFORM COPIER RUNNER EDITING SHELL ABOUT APP)
  list(APPEND FENNICK_CORE_SOURCES ${FENNICK_${layer}_SOURCES})
  list(APPEND FENNICK_GUI_SOURCES ${FENNICK_${layer}_GUI_SOURCES})
endforeach()
list(TRANSFORM FENNICK_CORE_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/src/)
list(TRANSFORM FENNICK_GUI_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/src/)
