# The player reads its settings from its current directory. The build folder
# gets the default settings files and a few short clips (made here with
# ffmpeg) so that Shuttle Play works offline; `make run` copies them into the
# folder it starts the player in (build/run).
file(GLOB ONDRIX_DEFAULT_SETTINGS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/settings/*)
set(ONDRIX_SETTINGS_OUTPUTS "")
foreach(settings_file ${ONDRIX_DEFAULT_SETTINGS})
  get_filename_component(settings_name ${settings_file} NAME)
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/${settings_name}
    COMMAND ${CMAKE_COMMAND} -E copy ${settings_file} ${CMAKE_BINARY_DIR}/${settings_name}
    DEPENDS ${settings_file}
    COMMENT "Default settings ${settings_name}")
  list(APPEND ONDRIX_SETTINGS_OUTPUTS ${CMAKE_BINARY_DIR}/${settings_name})
endforeach()

find_program(FFMPEG_EXECUTABLE ffmpeg)
set(ONDRIX_CLIP_OUTPUTS "")
if(FFMPEG_EXECUTABLE)
  set(clip_index 0)
  foreach(clip_entry "clip-1-a440.mp3:440" "clip-2-c523.mp3:523" "clip-3-e659.mp3:659")
    string(REPLACE ":" ";" clip_parts ${clip_entry})
    list(GET clip_parts 0 clip_name)
    list(GET clip_parts 1 clip_hz)
    add_custom_command(
      OUTPUT ${CMAKE_BINARY_DIR}/${clip_name}
      COMMAND ${FFMPEG_EXECUTABLE} -loglevel error -y -f lavfi
              -i "sine=frequency=${clip_hz}:duration=4:sample_rate=44100"
              -ac 2 -b:a 128k ${CMAKE_BINARY_DIR}/${clip_name}
      COMMENT "Shuttle clip ${clip_name}")
    list(APPEND ONDRIX_CLIP_OUTPUTS ${CMAKE_BINARY_DIR}/${clip_name})
  endforeach()
endif()

add_custom_target(ondrix_default_settings ALL DEPENDS ${ONDRIX_SETTINGS_OUTPUTS} ${ONDRIX_CLIP_OUTPUTS})
