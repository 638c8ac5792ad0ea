#pragma once

// Result and browse pages as the browser gives their body markup (double quotes, lower-case
// tags, no blanks between tags), with the names each must give.
namespace ExamplePages {

// Google, start 0: alpha-shop.com, bravo.net, charlie.info, delta.biz, echo.com, foxtrot.info,
// shop.com, mike.com.
inline const char *const kGoogle1 =
    R"(<div id="search"><ol><li class="g"><h3><a href="http://www.alpha-shop.com/index.html">Alpha Shop</a></h3><cite>www.alpha-shop.com/</cite></li><li class="g"><h3><a href="http://news.bravo.net/today/">Bravo News</a></h3></li><li class="g"><h3><a href="http://www.charlie.info/">Charlie</a></h3></li><li class="g"><h3><a href="http://www.delta.biz:8080/shop">Delta</a></h3></li><li class="g"><h3><a href="http://echo.com">Echo</a></h3></li><li class="g"><h3><a href="http://foxtrot.info/">Foxtrot</a></h3></li><li class="g"><h3><a href="http://www.alpha-shop.com/contact.html">Alpha again</a></h3></li><li class="g"><h3><a href="http://shop.com/">Shop</a></h3></li><li class="g"><h3><a href="http://mailer@golf.com/">Golf</a></h3></li><li class="g"><h3><a href="http://images.yimg.com/hotel.gif">img</a></h3></li><li class="g"><h3><a href="http://dir.yahoo.com/india/">Yahoo dir</a></h3></li><li class="g"><h3><a href="http://www.afternic.com/juliet.com">AfterNIC</a></h3></li><li class="g"><h3><a href=)"
    "\n"
    R"("http://www.lima.org/">Lima</a></h3></li><li class="g"><h3><a href="https://www.mike.com/">Mike</a></h3></li></ol></div>)";

// Google, start 100, after kGoogle1: november.com, OSCAR.NET.
inline const char *const kGoogle2 =
    R"(<div id="search"><ol><li class="g"><h3><a href="http://www.alpha-shop.com/">Alpha Shop</a></h3></li><li class="g"><h3><a href="http://www.november.com/">November</a></h3></li><li class="g"><h3><a href="http://WWW.OSCAR.NET/">Oscar</a></h3></li><li class="g"><h3><a href="http://www.Echo.com/">Echo again</a></h3></li></ol></div>)";

// Google, start 200, after kGoogle2: nothing new.
inline const char *const kGoogle3 =
    R"(<div id="search"><ol><li class="g"><h3><a href="http://www.november.com/">November</a></h3></li></ol></div>)";

// Yahoo, b=1: papa.com, quebec.net, romeo.biz.
inline const char *const kYahoo1 =
    R"(<ul class="dir"><li><a href="http://www.papa.com/">Papa</a></li><li><a href="http://dir.yahoo.com/Business/">More in Business</a></li><li><img src="http://us.i1.yimg.com/us.yimg.com/i/arrow.gif"><a href="http://quebec.net/">Quebec</a></li><li><a href="http://www.romeo.biz/shop/">Romeo</a></li></ul>)";

// A browse page: alpha.com (a link), bravo.net (an e-mail address), charlie.biz, echo.info,
// foxtrot.com and lpha.com (names in the text). golf.name and india.com share foxtrot.com's line
// and are not looked at.
inline const char *const kBrowse1 =
    R"(<h1>Domains for sale</h1><p><a href="http://www.alpha.com/list.html">Alpha list</a></p><p>Write to sales@bravo.net or visit charlie.biz today.</p><ul><li>echo.info</li><li>www.foxtrot.com</li><li>golf.name</li></ul><p><a href="mailto:hotel@india.com">mail us</a></p><p><a href="http://www.alpha.com/again.html">Alpha again</a> and lpha.com</p>)";

// After kBrowse1: one new name, juliet.com (alpha.com and bravo.net were seen already).
inline const char *const kBrowse2 = R"(<p>Seen before: alpha.com, bravo.net.</p><p>New: juliet.com/</p>)";

// The two frames of a frameset page.
inline const char *const kLeftFrame = R"(<p>Left: <a href="http://www.sierra.com/">Sierra</a></p>)";
inline const char *const kRightFrame = R"(<p>Right: tango.net is for sale</p>)";

// A frameset page whose two frames are kLeftFrame and kRightFrame.
inline const char *const kFrameset =
    R"(<html><head><title>Frames</title></head><frameset cols="50%,50%"><frame src="/left.html"><frame src="right.html"></frameset></html>)";

// Frame tags of every kind, on a page at http://127.0.0.1:8000/dir/top.html.
inline const char *const kFrameTags =
    R"(<frame src="/left.html"><frame src='right.html' name=r><frame src=http://www.kilo.com/k.html>)"
    R"x(<frame src="javascript:alert(1)"><frame src="file:///etc/passwd"><iframe src="/i.html">)x"
    R"(<frameset cols="50%"><frame src="a.html?x=1&amp;y=2">)";

} // namespace ExamplePages
