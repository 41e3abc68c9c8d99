# The folders are the layers. Every library of ours belongs to the layer of the folder it is
# defined in, and links only libraries of lower layers; Qt and threads only where their layer
# allows them. A library that breaks this stops the configure step here, before anyone builds on
# the new arrow.

# Lowest first. Folders on one line are one layer and never link each other.
set(KERMA_LAYERS
    "src/panel"                # what the panel and the tool agree on; the result type
    "src/link|src/model"       # the line and its exchanges | the editor as named state
    "src/rules|src/files|src/firmware"  # field rules | configuration files | firmware files
    "src/image|sim"            # codecs of the panel's blocks | the virtual panel
    "src/editor_files"         # the editor's file and defaults commands
    "src/safety"               # backups, write checks, reports, unsaved edits
    "src/session|cli"          # one editor window's parts together | the command-line client
    "src/qt"                   # windows, dialogs, the exchange threads (Qt)
    "src/app")                 # the desktop program
# The first layer that may use Qt, and the first that may start threads.
set(KERMA_QT_LAYER 7)
set(KERMA_THREADS_LAYER 1)

# The layer of a folder (a subfolder is in its folder's layer); -1 for one outside the layers.
function(kerma_folder_layer folder out)
  file(RELATIVE_PATH rel "${PROJECT_SOURCE_DIR}" "${folder}")
  set(layer 0)
  foreach(line ${KERMA_LAYERS})
    string(REPLACE "|" ";" folders "${line}")
    foreach(f ${folders})
      if(rel STREQUAL f OR rel MATCHES "^${f}/")
        set(${out} ${layer} PARENT_SCOPE)
        return()
      endif()
    endforeach()
    math(EXPR layer "${layer} + 1")
  endforeach()
  set(${out} -1 PARENT_SCOPE)
endfunction()

function(kerma_target_layer target out)
  get_target_property(dir ${target} SOURCE_DIR)
  kerma_folder_layer("${dir}" layer)
  set(${out} ${layer} PARENT_SCOPE)
endfunction()

# Every library defined in the layer folders: its direct links, ours and others'.
function(kerma_check_layers)
  get_property(targets DIRECTORY ${PROJECT_SOURCE_DIR} PROPERTY BUILDSYSTEM_TARGETS)
  set(dirs ${PROJECT_SOURCE_DIR})
  set(all "")
  while(dirs)
    list(POP_FRONT dirs dir)
    get_property(here DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    get_property(subs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    list(APPEND all ${here})
    list(APPEND dirs ${subs})
  endwhile()
  foreach(target ${all})
    get_target_property(type ${target} TYPE)
    if(NOT type STREQUAL "STATIC_LIBRARY")
      continue()
    endif()
    kerma_target_layer(${target} layer)
    if(layer LESS 0)
      continue()  # tests, benchmarks, fuzzing
    endif()
    get_target_property(links ${target} LINK_LIBRARIES)
    if(NOT links)
      continue()
    endif()
    foreach(link ${links})
      if(link MATCHES "^Qt6::" AND layer LESS KERMA_QT_LAYER)
        message(FATAL_ERROR "${target} links ${link}: Qt is for the layers from src/qt up")
      elseif(link STREQUAL "Threads::Threads" AND layer LESS KERMA_THREADS_LAYER)
        message(FATAL_ERROR "${target} links threads below the line's layer")
      elseif(TARGET ${link} AND link MATCHES "^kerma_")
        kerma_target_layer(${link} below)
        if(below LESS 0 OR NOT below LESS layer)
          message(FATAL_ERROR "${target} (layer ${layer}) links ${link} (layer ${below}): a "
                              "library links only libraries of lower layers")
        endif()
      endif()
    endforeach()
  endforeach()
endfunction()

kerma_check_layers()

# The editor model, its rules and codecs run headless and without a line: no port, no threads,
# however far down the links go.
function(kerma_link_closure target out)
  set(seen "")
  set(queue ${target})
  while(queue)
    list(POP_FRONT queue item)
    if(item IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${item})
    if(TARGET ${item})
      get_target_property(imported ${item} IMPORTED)
      get_target_property(libs ${item} LINK_LIBRARIES)
      if(NOT imported AND libs)
        list(APPEND queue ${libs})
      endif()
    endif()
  endwhile()
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

foreach(model kerma_model kerma_rules kerma_image)
  kerma_link_closure(${model} closure)
  foreach(forbidden kerma_link Threads::Threads)
    if(forbidden IN_LIST closure)
      message(FATAL_ERROR "${model} links ${forbidden}: the editor model runs without a line")
    endif()
  endforeach()
endforeach()
