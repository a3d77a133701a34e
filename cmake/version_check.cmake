# Fails unless the program FILE carries VERSION (major.minor.patch) in its
# manifest (version="major.minor.patch.0") and in its version resource (the
# fixed file and product version numbers after the resource's signature).
#   cmake -DFILE=SignIn.exe -DVERSION=1.0.0 -P version_check.cmake
string(REPLACE "." ";" parts "${VERSION}")
list(GET parts 0 major)
list(GET parts 1 minor)
list(GET parts 2 patch)

# A number from 0 to 65535 as two bytes, low byte first, in lower-case hex.
function(little_endian_16 number out)
    math(EXPR low "${number} % 256" OUTPUT_FORMAT HEXADECIMAL)
    math(EXPR high "${number} / 256" OUTPUT_FORMAT HEXADECIMAL)
    foreach(byte low high)
        string(SUBSTRING "${${byte}}" 2 -1 digits)
        string(LENGTH "${digits}" length)
        if(length EQUAL 1)
            set(digits "0${digits}")
        endif()
        string(APPEND text "${digits}")
    endforeach()
    string(TOLOWER "${text}" text)
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

little_endian_16(${major} major_hex)
little_endian_16(${minor} minor_hex)
little_endian_16(${patch} patch_hex)
# VS_FIXEDFILEINFO: signature 0xFEEF04BD, structure version 1.0, then the
# file version (minor, major; 0, patch as 16-bit halves) and the product
# version, the same.
set(numbers "${minor_hex}${major_hex}0000${patch_hex}")
set(fixed_info "bd04effe00000100${numbers}${numbers}")
string(HEX "version=\"${VERSION}.0\"" manifest_version)

file(READ "${FILE}" bytes HEX)
string(FIND "${bytes}" "${fixed_info}" at_fixed)
string(FIND "${bytes}" "${manifest_version}" at_manifest)
if(at_fixed EQUAL -1)
    message(FATAL_ERROR "${FILE}: the version resource does not give ${VERSION}.0")
endif()
if(at_manifest EQUAL -1)
    message(FATAL_ERROR "${FILE}: the manifest does not give version=\"${VERSION}.0\"")
endif()
message("${FILE}: version ${VERSION}.0 in the version resource and the manifest")
