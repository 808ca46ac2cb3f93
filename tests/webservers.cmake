# The package's web server configurations (deploy/) under the real servers:
# Apache httpd with mod_cgid, nginx with fcgiwrap and lighttpd, each started
# by the test on 127.0.0.1, with PHP's SoapClient as the client.
velmora_test(WebServers LIBS velmora_e2e SOURCES e2e/ApacheFixture.cpp e2e/NginxFixture.cpp LABELS e2e)
add_dependencies(WebServers_test velmora.cgi)
