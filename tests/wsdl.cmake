# The WSDL documents, the service pages and the publisher interface.
add_library(velmora_wsdltest STATIC wsdl/XmlTree.cpp)
target_include_directories(velmora_wsdltest PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(velmora_wsdltest PUBLIC PkgConfig::LIBXML2)

velmora_test(WSDLGenerator LABEL unit LIBS velmora_soap velmora_wsdltest)

# The pages and documents of the real executable, run as a CGI.
velmora_test(WSDLHTMLPublish LABEL unit LIBS velmora_app velmora_wsdltest)

# PHP's SoapClient in WSDL mode through lighttpd (tests/php/).
velmora_test(WsdlClients LIBS velmora_e2e)
add_dependencies(WsdlClients_test velmora.cgi)
