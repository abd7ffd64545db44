# The build's signing step: signs EXE with scripts/sign and the arguments ARGS (a list). When
# signing fails, EXE is removed: a build whose signing failed (a time-stamp server down, a
# wrong password) leaves no unsigned installer under the release's name for anyone to take
# for the release, and the next build links and signs it again.
#   cmake -DSIGN=scripts/sign -DARGS=--pkcs12;c.p12;... -DEXE=PentaroSetup.exe -P sign_installer.cmake
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${SIGN} ${ARGS} ${EXE} RESULT_VARIABLE failed)
if(failed)
    file(REMOVE ${EXE})
    message(FATAL_ERROR "Signing failed: ${EXE} removed, so that no unsigned installer "
                        "stands in for the release")
endif()
