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

} // namespace ExamplePages
