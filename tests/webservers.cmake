# The package's web server configurations (deploy/) under the real servers:
# Apache httpd with mod_cgid, nginx with fcgiwrap and lighttpd, each started
# by the test on 127.0.0.1, with PHP's SoapClient as the client.
velmora_test(WebServers LIBS velmora_e2e SOURCES e2e/ApacheFixture.cpp e2e/NginxFixture.cpp LABEL e2e)
add_dependencies(WebServers_test velmora.cgi)

# The install layout the package is made from: cmake --install into a
# staging directory, the links, the modes and the daily clean-up.
add_test(NAME Install.Layout COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/deploy/install-layout.sh ${PROJECT_BINARY_DIR})
set_tests_properties(Install.Layout PROPERTIES LABELS e2e TIMEOUT 120)

# The persistent-mode configurations under the same servers: lighttpd's
# mod_fastcgi, nginx with workers started by spawn-fcgi, Apache httpd with
# mod_fcgid; compared with the CGI deployment under lighttpd.
velmora_test(WebServersFastCGI LIBS velmora_e2e SOURCES e2e/ApacheFixture.cpp e2e/NginxFixture.cpp LABEL e2e)
add_dependencies(WebServersFastCGI_test velmora.cgi)
