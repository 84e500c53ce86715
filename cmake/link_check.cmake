# SPDX-License-Identifier: MIT
# require_no_window_system(target): fails the configuration when the target,
# or anything it links, brings in Qt's window system (Gui, Widgets,
# OpenGL, PrintSupport). The core library of rules and file formats must
# build and run where there is no display.

function(_window_system_links target result)
  set(window_system Qt6::Gui Qt6::Widgets Qt6::OpenGL Qt6::OpenGLWidgets Qt6::PrintSupport
                    Qt::Gui Qt::Widgets Qt::OpenGL Qt::OpenGLWidgets Qt::PrintSupport)
  set(found "")
  set(seen "")
  set(queue ${target})
  while(queue)
    list(POP_FRONT queue name)
    if(name IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${name})
    if(name IN_LIST window_system OR name MATCHES "Qt6?(Gui|Widgets|OpenGL|PrintSupport)")
      list(APPEND found ${name})
      continue()
    endif()
    if(NOT TARGET ${name})
      continue()
    endif()
    foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
      get_target_property(links ${name} ${property})
      if(NOT links)
        continue()
      endif()
      foreach(link IN LISTS links)
        # $<LINK_ONLY:X> and other generator expressions: the names inside.
        # A single colon ends a name, a double one belongs to it (Qt6::Gui).
        string(REGEX MATCHALL "[A-Za-z0-9_.+-]+(::[A-Za-z0-9_.+-]+)*" words "${link}")
        foreach(word IN LISTS words)
          if(TARGET ${word} OR word MATCHES "Qt6?(Gui|Widgets|OpenGL|PrintSupport)")
            list(APPEND queue ${word})
          endif()
        endforeach()
      endforeach()
    endforeach()
  endwhile()
  set(${result} ${found} PARENT_SCOPE)
endfunction()

function(require_no_window_system target)
  _window_system_links(${target} found)
  if(found)
    list(REMOVE_DUPLICATES found)
    message(FATAL_ERROR "${target} must not link the window system, but links: ${found}")
  endif()
endfunction()
